// The PLU staging and its command file read the archive whole or not at all: a read that stops
// halfway is a failure, never a shorter list sent to the registers as if it were all.
#include "core/Database.h"
#include "reglink/PluStaging.h"
#include "support/Pannelli.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QtTest>

using namespace PluStaging;

namespace {

// `valore`, except at the row whose `chiave` is `riga`, where SQLite fails (abs of the lowest
// integer overflows): the read stops there after handing over the rows before it.
QString guastaAlla(const QString& valore, const QString& chiave, int riga)
{
    return QStringLiteral("CASE WHEN %1 = %2 THEN abs(-9223372036854775808) ELSE %3 END")
        .arg(chiave)
        .arg(riga)
        .arg(valore);
}

int conta(const QString& tabella)
{
    return Db::valore(QStringLiteral("SELECT COUNT(*) FROM ") + tabella).valore.value_or(-1).toInt();
}

} // namespace

class TstStagingLetture : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void articoliLettiAMeta()
    {
        TestEnv env;
        for (int i = 1; i <= 10; ++i)
            QVERIFY(Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, BarCode, Descrizione, "
                                            "\"Quantità\", Costo, Genere, Modificato) VALUES (?, ?, ?, 1, 2, '3', 1)"),
                             {i, QStringLiteral("80000000000%1").arg(i, 2, 10, QLatin1Char('0')),
                              QStringLiteral("Articolo %1").arg(i)}));
        QVERIFY(Db::exec(QStringLiteral("INSERT INTO MagazzinoPerQuidar (Ordinale, BarCode) VALUES (51, 'prima')")));
        QVERIFY(Db::exec(QStringLiteral("ALTER TABLE Magazzino RENAME TO MagazzinoVero")));
        QVERIFY(
            Db::exec(QStringLiteral("CREATE VIEW Magazzino AS SELECT CodMateriale, ") +
                     guastaAlla(QStringLiteral("Descrizione"), QStringLiteral("CodMateriale"), 6) +
                     QStringLiteral(" AS Descrizione, \"Quantità\", Costo, UnitaMisura, Genere, BarCode, Modificato "
                                    "FROM MagazzinoVero")));
        PannelloProva p;
        QCOMPARE(PreparaTabxInvio(true, p), EsitoPreparazione::Errore);
        QCOMPARE(conta(QStringLiteral("MagazzinoPerQuidar")), 1); // the table as it was
    }

    void righeStagingLetteAMeta()
    {
        TestEnv env;
        QVERIFY(Db::exec(QStringLiteral("ALTER TABLE MagazzinoPerQuidar RENAME TO StagingVero")));
        for (int i = 1; i <= 10; ++i)
            QVERIFY(Db::exec(QStringLiteral("INSERT INTO StagingVero (Ordinale, Descrizione, BarCode, Quantita, "
                                            "Prezzo, RepartoAss, Modificato) VALUES (?, 'A', ?, '1.000', '2.00', "
                                            "'3', 1)"),
                             {50 + i, QStringLiteral("80000000000%1").arg(i, 2, 10, QLatin1Char('0'))}));
        // The read orders by rowid: the view names one.
        QVERIFY(Db::exec(QStringLiteral("CREATE VIEW MagazzinoPerQuidar AS SELECT rowid AS rowid, Ordinale, ") +
                         guastaAlla(QStringLiteral("Descrizione"), QStringLiteral("Ordinale"), 56) +
                         QStringLiteral(" AS Descrizione, BarCode, Quantita, Prezzo, RepartoAss, Modificato "
                                        "FROM StagingVero")));
        PannelloProva p;
        const QString file = percorsoFilePLU(QStringLiteral("1"));
        QCOMPARE(ScriviFilePLU(QStringLiteral("1"), p), EsitoFile::Errore);
        QVERIFY(!QFile::exists(file));
    }
};

QTEST_MAIN(TstStagingLetture)
#include "tst_stagingletture.moc"
