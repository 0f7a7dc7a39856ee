#include "reglink/ErrorTable.h"

#include <QtTest>

using namespace RegLink;

class TstErrorTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lookup_data();
    void lookup();
    void sharedMessagesKeepTheirNumbers();
};

void TstErrorTable::lookup_data()
{
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QString>("numero");
    QTest::addColumn<QString>("messaggio");
    QTest::addColumn<int>("azione");
    QTest::newRow("1A busy") << "1A"
                             << "26"
                             << "Stampante Busy, reinviare il comando" << 1;
    QTest::newRow("lower case hex") << "1a"
                                    << "26"
                                    << "Stampante Busy, reinviare il comando" << 1;
    QTest::newRow("2C paper") << "2C"
                              << "44"
                              << "Carta finita" << 4;
    QTest::newRow("33 door") << "33"
                             << "51"
                             << "Portello rotolo aperto" << 4;
    QTest::newRow("47 client") << "47"
                               << "71"
                               << "Client index error" << 0;
    QTest::newRow("59 SD limit") << "59"
                                 << "89"
                                 << "Superati i limiti della SD!!!" << 9;
    QTest::newRow("5A no row") << "5A"
                               << "90"
                               << "" << 0;
    QTest::newRow("FF no row") << "FF"
                               << "255"
                               << "" << 0;
    QTest::newRow("00 no error") << "00"
                                 << "0"
                                 << "" << 0;
    QTest::newRow("empty") << ""
                           << "0"
                           << "" << 0;
    QTest::newRow("blanks") << " 07 "
                            << "7"
                            << "Il PLU non esiste" << 2;
    QTest::newRow("01 first row") << "01"
                                  << "1"
                                  << "Campi del comando insufficienti" << 2;
    QTest::newRow("2A keyboard") << "2A"
                                 << "42"
                                 << "Errore tastiera - Tastiera scollegata" << 9;
    QTest::newRow("13 curly apostrophe") << "0D"
                                         << "13" << QStringLiteral("The requested Fiscal record doesn\u2019t exist")
                                         << 2;
    QTest::newRow("SD full") << "57"
                             << "87" << QStringLiteral("La SD \u00E8 PIENA!!!") << 9;
    QTest::newRow("not hex") << "G1"
                             << ""
                             << "" << 0;
}

void TstErrorTable::lookup()
{
    QFETCH(QString, campo);
    QString descr = QStringLiteral("stale");
    const int azione = DescrizioneErrore(campo, descr);
    QTEST(campo, "numero");
    QTEST(descr, "messaggio");
    QTEST(azione, "azione");
}

void TstErrorTable::sharedMessagesKeepTheirNumbers()
{
    for (auto [a, b] : {std::pair{4, 5}, std::pair{9, 23}, std::pair{30, 31}}) {
        QCOMPARE(QString::fromUtf8(TabellaErroriCassa(a)->messaggio),
                 QString::fromUtf8(TabellaErroriCassa(b)->messaggio));
        QCOMPARE(TabellaErroriCassa(a)->numero, a);
        QCOMPARE(TabellaErroriCassa(b)->numero, b);
    }
}

QTEST_GUILESS_MAIN(TstErrorTable)
#include "tst_errortable.moc"
