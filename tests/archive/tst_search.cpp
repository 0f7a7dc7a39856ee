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

        const QStringList tutti = {"1", "2", "3", "4", "5", "6"};
        QTest::newRow("nothing: whole archive") << 0 << ""
                                                << ""
                                                << ""
                                                << "?" << tutti;
        QTest::newRow("prefix any case, apostrophe") << 0 << "l'OREAL"
                                                     << ""
                                                     << ""
                                                     << "?" << QStringList{"1", "2"};
        QTest::newRow("prefix only, not inside") << 0 << "crema"
                                                 << ""
                                                 << ""
                                                 << "?" << QStringList{};
        QTest::newRow("percent is literal") << 0 << "Sconto 50%"
                                            << ""
                                            << ""
                                            << "?" << QStringList{"3"};
        QTest::newRow("underscore is literal") << 0 << "Vaso_"
                                               << ""
                                               << ""
                                               << "?" << QStringList{"5"};
        QTest::newRow("jet star is literal") << 0 << "Vaso*"
                                             << ""
                                             << ""
                                             << "?" << QStringList{};
        QTest::newRow("barcode exact") << 1 << "8002"
                                       << ""
                                       << ""
                                       << "?" << QStringList{"2"};
        QTest::newRow("barcode keeps leading zero") << 1 << "800"
                                                    << ""
                                                    << ""
                                                    << "?" << QStringList{};
        QTest::newRow("barcode leading zero") << 1 << "0800"
                                              << ""
                                              << ""
                                              << "?" << QStringList{"5"};
        QTest::newRow("supplier code with percent") << 2 << "V%1"
                                                    << ""
                                                    << ""
                                                    << "?" << QStringList{"4"};
        QTest::newRow("supplier code underscore") << 2 << "V_1"
                                                  << ""
                                                  << ""
                                                  << "?" << QStringList{"3"};
        QTest::newRow("price zero ignores filters") << 3 << "x"
                                                    << "Profumeria"
                                                    << "Rossi"
                                                    << "?" << QStringList{"3", "5"};
        QTest::newRow("stock zero ignores filters") << 4 << "x"
                                                    << "Profumeria"
                                                    << ""
                                                    << "?" << QStringList{"2", "4"};
        QTest::newRow("supplier only, empty text") << 1 << ""
                                                   << ""
                                                   << "Rossi"
                                                   << "?" << QStringList{"2", "3"};
        QTest::newRow("supplier with apostrophe") << 0 << ""
                                                  << ""
                                                  << "L'Oreal Italia"
                                                  << "?" << QStringList{"1"};
        QTest::newRow("department by description") << 0 << ""
                                                   << "Profumeria"
                                                   << ""
                                                   << "Falso" << QStringList{"2"};
        QTest::newRow("department missing key = description") << 0 << ""
                                                              << "Profumeria"
                                                              << ""
                                                              << "?" << QStringList{"2"};
        QTest::newRow("department by code") << 0 << ""
                                            << "Profumeria"
                                            << ""
                                            << "Vero" << QStringList{"1"};
        QTest::newRow("department apostrophe by description") << 0 << ""
                                                              << "Casa d'Arte"
                                                              << ""
                                                              << "FALSO" << QStringList{"4"};
        QTest::newRow("department apostrophe by code") << 0 << ""
                                                       << "Casa d'Arte"
                                                       << ""
                                                       << "si" << QStringList{"3", "5"};
        QTest::newRow("text, department and supplier") << 0 << "vaso"
                                                       << "Casa d'Arte"
                                                       << "Bianchi"
                                                       << "Vero" << QStringList{"5"};
        QTest::newRow("barcode and department") << 1 << "8003"
                                                << "Casa d'Arte"
                                                << ""
                                                << "Vero" << QStringList{"3"};
        QTest::newRow("no match") << 0 << "zzz"
                                  << ""
                                  << ""
                                  << "?" << QStringList{};
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
