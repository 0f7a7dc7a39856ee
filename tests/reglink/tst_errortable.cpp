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
    QTest::addColumn<AzioneErrore>("azione");
    auto row = [](const char* name, const QString& campo, const QString& numero, const QString& messaggio,
                  AzioneErrore azione) { QTest::newRow(name) << campo << numero << messaggio << azione; };
    using enum AzioneErrore;
    row("1A busy", "1A", "26", "Stampante Busy, reinviare il comando", Ripeti);
    row("lower case hex", "1a", "26", "Stampante Busy, reinviare il comando", Ripeti);
    row("2C paper", "2C", "44", "Carta finita", MostraERinvia);
    row("47 client", "47", "71", "Client index error", Prosegui);
    row("59 SD limit", "59", "89", "Superati i limiti della SD!!!", ErroreGrave);
    row("5A no row", "5A", "90", "", Prosegui);
    row("FF no row", "FF", "255", "", Prosegui);
    row("00 no error", "00", "0", "", Prosegui);
    row("empty", "", "0", "", Prosegui);
    row("blanks", " 07 ", "7", "Il PLU non esiste", Ignora);
    row("01 first row", "01", "1", "Campi del comando insufficienti", Ignora);
    row("13 curly apostrophe", "0D", "13", QStringLiteral("The requested Fiscal record doesn\u2019t exist"), Ignora);
    row("SD full", "57", "87", QStringLiteral("La SD \u00E8 PIENA!!!"), ErroreGrave);
    row("not hex", "G1", "", "", Prosegui);
}

void TstErrorTable::lookup()
{
    QFETCH(QString, campo);
    QString descr = QStringLiteral("stale");
    const AzioneErrore azione = DescrizioneErrore(campo, descr);
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
