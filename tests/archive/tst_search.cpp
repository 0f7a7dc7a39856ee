// The article search: each option and filter against a small archive, apostrophes and
// like-wildcards in typed text, the department key of Setup.ini, the empty result.
#include "archive/ArticleList.h"
#include "archive/ArticleSearch.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "support/TestEnv.h"

#include <QtTest>

using namespace ArticleSearch;

namespace {

void articolo(int cod, const QString& descr, const QString& bc, const QString& codForn, const QVariant& genere,
              const QString& forn, double costo, double qta)
{
    QString err;
    if (!Db::exec(QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode, CodProdottoFornitore, "
                                 "Genere, Fornitore, Costo, \"Quantità\", Minimo, UnitaMisura) "
                                 "VALUES (?,?,?,?,?,?,?,?,0,'Pz')"),
                  {cod, descr, bc, codForn, genere, forn, costo, qta}, &err))
        qWarning() << err;
}

void archivio()
{
    Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione='Profumeria' WHERE Cod=3"));
    Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione='Casa d''Arte' WHERE Cod=4"));
    articolo(1, QStringLiteral("L'Oreal crema"), QStringLiteral("8001"), QStringLiteral("LO-1"), QStringLiteral("3"),
             QStringLiteral("L'Oreal Italia"), 9.5, 3);
    articolo(2, QStringLiteral("l'oreal shampoo"), QStringLiteral("8002"), QStringLiteral("LO-2"),
             QStringLiteral("Profumeria"), QStringLiteral("Rossi"), 4, 0);
    articolo(3, QStringLiteral("Sconto 50% vaso"), QStringLiteral("8003"), QStringLiteral("V_1"), QStringLiteral("4"),
             QStringLiteral("Rossi"), 0, 2);
    articolo(4, QStringLiteral("Sconto 505 tazza"), QStringLiteral("8004"), QStringLiteral("V%1"),
             QStringLiteral("Casa d'Arte"), QStringLiteral("Bianchi"), 12, -1);
    articolo(5, QStringLiteral("Vaso_grande"), QStringLiteral("0800"), QStringLiteral("V-9"), QStringLiteral("4"),
             QStringLiteral("Bianchi"), 0, 5);
    articolo(6, QStringLiteral("VasoXgrande"), QStringLiteral("8006"), QStringLiteral("V-10"), QVariant(),
             QStringLiteral(""), 7, 1);
}

QStringList codici(const Query& q)
{
    const auto r = ArticleList::leggi(q.sql, q.valori);
    QStringList out;
    for (const RigaLista& riga : r.righe)
        out << riga.testo.at(0);
    return out;
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void options_data()
    {
        QTest::addColumn<int>("opzione");
        QTest::addColumn<QString>("testo");
        QTest::addColumn<QString>("reparto");
        QTest::addColumn<QString>("fornitore");
        QTest::addColumn<QString>("salvaComeCodice"); // [Config] SalvaRepartoComeCODICE, "?" = missing
        QTest::addColumn<QStringList>("attesi");      // codes, in description order
        const auto riga = [](const char* caso, int opzione, const char* testo, const char* reparto,
                             const char* fornitore, const char* salva, const QStringList& attesi) {
            QTest::newRow(caso) << opzione << QString::fromUtf8(testo) << QString::fromUtf8(reparto)
                                << QString::fromUtf8(fornitore) << QString::fromUtf8(salva) << attesi;
        };
        riga("nothing: whole archive", 0, "", "", "", "?", {"1", "2", "3", "4", "5", "6"});
        riga("prefix any case, apostrophe", 0, "l'OREAL", "", "", "?", {"1", "2"});
        riga("prefix only, not inside", 0, "crema", "", "", "?", {});
        riga("percent is literal", 0, "Sconto 50%", "", "", "?", {"3"});
        riga("underscore is literal", 0, "Vaso_", "", "", "?", {"5"});
        riga("jet star is literal", 0, "Vaso*", "", "", "?", {});
        riga("barcode exact", 1, "8002", "", "", "?", {"2"});
        riga("barcode keeps leading zero", 1, "800", "", "", "?", {});
        riga("barcode leading zero", 1, "0800", "", "", "?", {"5"});
        riga("supplier code with percent", 2, "V%1", "", "", "?", {"4"});
        riga("supplier code underscore", 2, "V_1", "", "", "?", {"3"});
        riga("price zero ignores filters", 3, "x", "Profumeria", "Rossi", "?", {"3", "5"});
        riga("stock zero ignores filters", 4, "x", "Profumeria", "", "?", {"2", "4"});
        riga("supplier only, empty text", 1, "", "", "Rossi", "?", {"2", "3"});
        riga("supplier with apostrophe", 0, "", "", "L'Oreal Italia", "?", {"1"});
        riga("department by description", 0, "", "Profumeria", "", "Falso", {"2"});
        riga("department missing key = description", 0, "", "Profumeria", "", "?", {"2"});
        riga("department by code", 0, "", "Profumeria", "", "Vero", {"1"});
        riga("department apostrophe by description", 0, "", "Casa d'Arte", "", "FALSO", {"4"});
        riga("department apostrophe by code", 0, "", "Casa d'Arte", "", "si", {"3", "5"});
        riga("text, department and supplier", 0, "vaso", "Casa d'Arte", "Bianchi", "Vero", {"5"});
        riga("barcode and department", 1, "8003", "Casa d'Arte", "", "Vero", {"3"});
        riga("no match", 0, "zzz", "", "", "?", {});
    }

    void options()
    {
        QFETCH(int, opzione);
        QFETCH(QString, testo);
        QFETCH(QString, reparto);
        QFETCH(QString, fornitore);
        QFETCH(QString, salvaComeCodice);
        QFETCH(QStringList, attesi);
        TestEnv env;
        archivio();
        if (salvaComeCodice != QLatin1String("?"))
            ScriviINI(env.setup(), "Config", "SalvaRepartoComeCODICE", salvaComeCodice);
        const Query q = costruisci({opzione, testo, reparto, fornitore});
        for (const QVariant& v : q.valori)
            QVERIFY2(!q.sql.contains(v.toString()) || v.toString().isEmpty(), qPrintable(q.sql));
        QCOMPARE(codici(q), attesi);
        if (!reparto.isEmpty() && opzione < optPrezzoZero && salvaComeCodice == QLatin1String("?"))
            QCOMPARE(LeggiINI(env.setup(), "Config", "SalvaRepartoComeCODICE", "?"), QStringLiteral("Falso"));
    }

    void wholeArchiveText()
    {
        TestEnv env;
        QCOMPARE(costruisci({}).sql, QStringLiteral("Select * from Magazzino order by descrizione"));
        QVERIFY(costruisci({}).valori.isEmpty());
        QCOMPARE(escapeLike(QStringLiteral("a%b_c\\d")), QStringLiteral("a\\%b\\_c\\\\d"));
    }

    void unknownDepartmentUsesLookupDefault()
    {
        TestEnv env;
        archivio();
        ScriviINI(env.setup(), "Config", "SalvaRepartoComeCODICE", "Vero");
        articolo(7, QStringLiteral("Nel reparto uno"), QStringLiteral("7"), QStringLiteral("x"), QStringLiteral("1"),
                 QStringLiteral("Rossi"), 1, 1);
        // TrovaCodiceRep gives "1" for a description it does not know.
        QCOMPARE(codici(costruisci({optDescrizione, {}, QStringLiteral("Non esiste"), {}})), QStringList{"7"});
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
