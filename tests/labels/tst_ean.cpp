// The EAN barcode-font text: worked examples, check digits, refusals and the way back to digits.
#include "labels/ModuloEAN.h"

#include <QtTest>

class TestEan : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ean8WorkedExample()
    {
        QString c = QStringLiteral("1234567");
        QCOMPARE(ModuloEAN::EAN8(c), QStringLiteral(":BCDE*fgha+"));
        QCOMPARE(c, QStringLiteral("12345670"));
    }

    void ean13ParityFollowsFirstDigit()
    {
        // 4006381333931: first digit 4 gives the parity A B A A B B for digits 2 to 7.
        QString c = QStringLiteral("400638133393");
        const QString t = ModuloEAN::EAN13(c);
        QCOMPARE(c, QStringLiteral("4006381333931"));
        QCOMPARE(t.size(), 15);
        QCOMPARE(t.left(2), QStringLiteral("4A"));
        QCOMPARE(t.mid(2, 5), QStringLiteral("KGDSL")); // 0 B, 6 A, 3 A, 8 B, 1 B
        QCOMPARE(t.mid(7), QStringLiteral("*dddjdb+"));
    }

    void checkDigits_data()
    {
        QTest::addColumn<QString>("cifre");
        QTest::addColumn<int>("controllo");
        QTest::newRow("ean13 zero sum") << "000000000000" << 0;
        QTest::newRow("ean13 multiple of ten") << "800112345678" << 3;
        QTest::newRow("ean13 real") << "978020137962" << 4;
        QTest::newRow("ean8 real") << "9638507" << 4;
        QTest::newRow("ean8 sum already a multiple of 10") << "0000055" << 0;
    }
    void checkDigits()
    {
        QFETCH(QString, cifre);
        QFETCH(int, controllo);
        QCOMPARE(ModuloEAN::cifraControllo(cifre), controllo);
        QString c = cifre;
        const QString t = cifre.size() == 7 ? ModuloEAN::EAN8(c) : ModuloEAN::EAN13(c);
        QCOMPARE(c, cifre + QString::number(controllo));
        QCOMPARE(ModuloEAN::decodifica(t), c); // the font text reads back to the same digits
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("codice");
        QTest::newRow("empty") << "";
        QTest::newRow("six") << "123456";
        QTest::newRow("eight") << "12345678";
        QTest::newRow("eleven") << "12345678901";
        QTest::newRow("thirteen") << "1234567890123";
        QTest::newRow("letter") << "12345A7";
        QTest::newRow("blank") << "123 567";
        QTest::newRow("letter 12") << "12345678901X";
        QTest::newRow("arabic digit") << QStringLiteral("123456\u0663");
    }
    void refusals()
    {
        QFETCH(QString, codice);
        QString a = codice;
        QString b = codice;
        QVERIFY(ModuloEAN::EAN8(a).isEmpty());
        QVERIFY(ModuloEAN::EAN13(b).isEmpty());
        QCOMPARE(a, codice);
        QCOMPARE(b, codice);
    }

    void storedCodesRecomputeTheCheckDigit()
    {
        // A supplier code of 8 characters encodes its first 7; a wrong stored check digit is mended.
        QCOMPARE(ModuloEAN::decodifica(ModuloEAN::testoPerCodice(QStringLiteral("12345679"))),
                 QStringLiteral("12345670"));
        QCOMPARE(ModuloEAN::decodifica(ModuloEAN::testoPerCodice(QStringLiteral("4006381333930"))),
                 QStringLiteral("4006381333931"));
        QVERIFY(ModuloEAN::testoPerCodice(QStringLiteral("1234567")).isEmpty());
        QVERIFY(ModuloEAN::testoPerCodice(QStringLiteral("123456789012")).isEmpty());
        QVERIFY(ModuloEAN::testoPerCodice(QStringLiteral("ABCDEFGH")).isEmpty());
    }

    void decodeRefusesWhatIsNotASymbol()
    {
        QVERIFY(ModuloEAN::decodifica(QStringLiteral("BC")).isEmpty());
        QVERIFY(ModuloEAN::decodifica(QStringLiteral("12345670")).isEmpty());
        QVERIFY(ModuloEAN::decodifica(QStringLiteral(":BCDE*fghb+")).isEmpty());     // wrong check digit
        QVERIFY(ModuloEAN::decodifica(QStringLiteral("4AAGIDL*ddjdbb+")).isEmpty()); // wrong parity
    }
};

QTEST_GUILESS_MAIN(TestEan)
#include "tst_ean.moc"
