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
    auto row = [](const char* name, const QString& campo, const QString& numero, const QString& messaggio, int azione) {
        QTest::newRow(name) << campo << numero << messaggio << azione;
    };
    row("1A busy", "1A", "26", "Stampante Busy, reinviare il comando", 1);
    row("lower case hex", "1a", "26", "Stampante Busy, reinviare il comando", 1);
    row("2C paper", "2C", "44", "Carta finita", 4);
    row("47 client", "47", "71", "Client index error", 0);
    row("59 SD limit", "59", "89", "Superati i limiti della SD!!!", 9);
    row("5A no row", "5A", "90", "", 0);
    row("FF no row", "FF", "255", "", 0);
    row("00 no error", "00", "0", "", 0);
    row("empty", "", "0", "", 0);
    row("blanks", " 07 ", "7", "Il PLU non esiste", 2);
    row("01 first row", "01", "1", "Campi del comando insufficienti", 2);
    row("13 curly apostrophe", "0D", "13", QStringLiteral("The requested Fiscal record doesn\u2019t exist"), 2);
    row("SD full", "57", "87", QStringLiteral("La SD \u00E8 PIENA!!!"), 9);
    row("not hex", "G1", "", "", 0);
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
