// The external database: the start-up copy through a fake source (exact rows, the changed-rows
// rule, departments without a local row, a failure that leaves the archive as it was), the
// link's settings, and the libmdb reader on two public sample databases.
#include "core/Articoli.h"
#include "core/Database.h"
#include "core/IniFile.h"
#include "core/Programma.h"
#include "core/Settings.h"
#include "core/TextFile.h"
#include "core/config/DatabaseEsterno.h"
#include "core/config/TabCollegate.h"
#include "core/ui/Ui.h"
#include "core/ui/frmSplash.h"
#include "import/ExternalDatabase.h"
#include "import/ExternalDatabaseMdb.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnv.h"

#include <QDateTime>
#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

class SorgenteFinta final : public SorgenteEsterna
{
public:
    QList<TabellaEsterna> tabelle;
    int letture = 0;
    Esito leggiTabella(const QString& nome, TabellaEsterna& t) override
    {
        ++letture;
        for (const TabellaEsterna& x : tabelle)
            if (x.nome.compare(nome, Qt::CaseInsensitive) == 0) {
                t = x;
                return Esito::riuscito();
            }
        return Esito::fallito(VbErr::DatabaseError, QStringLiteral("no table ") + nome);
    }
};

const QVariant kNull;

TabellaEsterna reparti(const QList<std::pair<int, QString>>& righe)
{
    TabellaEsterna t{QStringLiteral("reparti"), {QStringLiteral("IDReparto"), QStringLiteral("NomeReparto")}, {}};
    for (const auto& [id, nome] : righe)
        t.righe << QVariantList{qlonglong(id), nome};
    return t;
}

// External articles: Modificato, Descrizione, PrezzoVendita, CodiceEAN, Reparto (plus a column
// the copy does not read).
TabellaEsterna magazzino(const QList<QVariantList>& righe)
{
    TabellaEsterna t{QStringLiteral("Magazzino"),
                     {QStringLiteral("ID"), QStringLiteral("MODIFICATO"), QStringLiteral("Descrizione"),
                      QStringLiteral("PrezzoVendita"), QStringLiteral("CodiceEAN"), QStringLiteral("Reparto")},
                     {}};
    int id = 1;
    for (const QVariantList& r : righe)
        t.righe << (QVariantList{id++} + r);
    return t;
}

QStringList tabella(const QString& sql)
{
    QStringList out;
    QSqlQuery q = Db::query(sql);
    while (q.next()) {
        QStringList r;
        for (int i = 0; i < q.record().count(); ++i)
            r << (q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
        out << r.join(QLatin1Char('|'));
    }
    return out;
}

QStringList archivio()
{
    return tabella(QStringLiteral("SELECT * FROM Magazzino ORDER BY CodMateriale")) +
           tabella(QStringLiteral("SELECT * FROM Reparti ORDER BY Cod")) +
           tabella(QStringLiteral("SELECT * FROM BarCodeUlteriori ORDER BY rowid")) +
           tabella(QStringLiteral("SELECT * FROM Offerte ORDER BY rowid"));
}

void archivioLocale()
{
    QVERIFY(Db::exec(
        QStringLiteral("INSERT INTO Magazzino (CodMateriale, Descrizione, BarCode) VALUES (1, 'Locale', '800')")));
    QVERIFY(Db::exec(QStringLiteral("INSERT INTO BarCodeUlteriori (CodProd, BarCode) VALUES (1, '801')")));
    QVERIFY(Db::exec(QStringLiteral("INSERT INTO Offerte (Articolo, PrzScnt) VALUES (1, 2.5)")));
    QVERIFY(Db::exec(QStringLiteral("UPDATE Reparti SET Descrizione = 'Mio', Iva = 22, Sconto = 5, NoFiscale = 1, "
                                    "PercorsoIcon = 'x.ico' WHERE Cod = 5")));
}

// Links the fake as the configured database and copies it.
Esito collegaECopia(const TestEnv& env, SorgenteFinta& s)
{
    writeRaw(env.path(QStringLiteral("esterno.mdb")), "finto");
    if (!Config::DatabaseEsterno::scrivi(env.path(QStringLiteral("esterno.mdb"))))
        return Esito::fallito(VbErr::FileNotFound, QStringLiteral("Setup.ini"));
    bool collegate = false;
    const Esito link = GestisciTabelleCollegate(
        [&s](const QString&, Esito&) -> std::unique_ptr<SorgenteEsterna> { return std::make_unique<SorgenteFinta>(s); },
        collegate);
    if (!collegate)
        return link.ok ? Esito::fallito(VbErr::DatabaseError, QStringLiteral("link")) : link;
    RecordingProgress p;
    return ImportaDaDatabaseEsterno(p);
}

QStringList erroriLog(const TestEnv& env)
{
    QStringList l;
    const QString log = env.path(QStringLiteral("Dati/ErrorLog.dat"));
    if (QFile::exists(log) && !TextFile::readLines(log, l))
        qFatal("ErrorLog.dat non leggibile");
    return l;
}

// A shared sample database: ../shared/fixtures/mdb from the project's root, looked for in the
// first folder named "shared" above the test's own folder (a worktree sits one level deeper than
// the project's root). Only a checkout without any shared folder goes without the samples: a
// shared folder that lacks one has lost it, and the reader would go untested unnoticed.
struct Campione
{
    QString path;      // the file, when found
    QString condivisa; // the shared folder, empty when there is none
    QString messaggio; // why there is no file
};

Campione campione(const QString& nome)
{
    const QString relativo = QStringLiteral("fixtures/mdb/") + nome;
    QDir d(QCoreApplication::applicationDirPath());
    do {
        if (QFileInfo(d.filePath(QStringLiteral("shared"))).isDir()) {
            const QString condivisa = d.filePath(QStringLiteral("shared"));
            const QString p = QDir(condivisa).filePath(relativo);
            if (QFileInfo(p).isFile())
                return {p, condivisa, {}};
            return {{},
                    condivisa,
                    QStringLiteral("%1 is missing from the shared folder %2: the libmdb reader cannot be tested")
                        .arg(relativo, condivisa)};
        }
    } while (d.cdUp());
    return {{}, {}, QStringLiteral("no shared folder above the test folder: the libmdb reader is not tested")};
}

} // namespace

class TestExternalDb : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void copiaTutto()
    {
        TestEnv env;
        archivioLocale();
        SorgenteFinta s;
        s.tabelle << reparti({{3, QStringLiteral("Frutta")},
                              {1, QStringLiteral("Pane")},
                              {2, QStringLiteral("Bevande analcoliche")}})
                  << magazzino(
                         {{false, QString(60, QLatin1Char('d')), 1.5, QStringLiteral("8001"), 2},
                          {false, QStringLiteral("Senza prezzo"), kNull, kNull, kNull},
                          {false, QStringLiteral("Reparto testo"), 2.0, QStringLiteral("8003"), QStringLiteral("x")},
                          {false, QStringLiteral("Reparto ignoto"), 3.0, QStringLiteral("8004"), 9},
                          {0, QStringLiteral("Reparto numerico in testo"), 4.0, QStringLiteral("8005"),
                           QStringLiteral("3")}});
        QVERIFY(collegaECopia(env, s).ok);

        const QStringList m =
            tabella(QStringLiteral("SELECT CodMateriale, Descrizione, Costo, BarCode, \"Quantità\", UnitaMisura, "
                                   "Fornitore, Genere, Modificato FROM Magazzino ORDER BY CodMateriale"));
        QCOMPARE(m, (QStringList{QStringLiteral("51|") + QString(50, QLatin1Char('d')) +
                                     QStringLiteral("|1.5|8001|1000|Pz|***|Bevande analcoli|0"),
                                 "52|Senza prezzo|0|NULL|1000|Pz|***|Reparto41|0",
                                 "53|Reparto testo|2|8003|1000|Pz|***|Reparto41|0",
                                 "54|Reparto ignoto|3|8004|1000|Pz|***|Reparto41|0",
                                 "55|Reparto numerico in testo|4|8005|1000|Pz|***|Frutta|0"}));
        // The n-th external department (by IDReparto) onto the n-th local one; the rest reset.
        const QStringList r = tabella(QStringLiteral("SELECT * FROM Reparti WHERE Cod <= 5 ORDER BY Cod"));
        QCOMPARE(r, (QStringList{"1|Pane|20|0|0|0||", "2|Bevande analcoli|20|0|0|0||", "3|Frutta|20|0|0|0||",
                                 "4|Reparto4|0|0|0|0||", "5|Reparto5|0|0|0|0||"}));
        QCOMPARE(tabella(QStringLiteral("SELECT COUNT(*) FROM Reparti")), QStringList{QStringLiteral("40")});
        QCOMPARE(tabella(QStringLiteral("SELECT COUNT(*) FROM BarCodeUlteriori")), QStringList{QStringLiteral("0")});
        QCOMPARE(tabella(QStringLiteral("SELECT COUNT(*) FROM Offerte")), QStringList{QStringLiteral("0")});
        QCOMPARE(erroriLog(env), QStringList());
    }

    void soloRigheModificate()
    {
        TestEnv env;
        SorgenteFinta s;
        s.tabelle << reparti({})
                  << magazzino({{false, QStringLiteral("Fermo"), 1.0, QStringLiteral("1"), 1},
                                {true, QStringLiteral("Cambiato"), 2.0, QStringLiteral("2"), 1},
                                {qlonglong(-1), QStringLiteral("Cambiato 2"), 3.0, QStringLiteral("3"), 1}});
        QVERIFY(collegaECopia(env, s).ok);
        QCOMPARE(tabella(QStringLiteral("SELECT CodMateriale, Descrizione, Modificato, Genere FROM Magazzino")),
                 (QStringList{"51|Cambiato|1|Reparto41", "52|Cambiato 2|1|Reparto41"}));
        QCOMPARE(tabella(QStringLiteral("SELECT Descrizione FROM Reparti WHERE Cod = 1")),
                 QStringList{QStringLiteral("Reparto1")});
    }

    void piuRepartiEsterniCheLocali()
    {
        TestEnv env;
        QList<std::pair<int, QString>> esterni;
        for (int i = 1; i <= 42; ++i)
            esterni.append({i, QStringLiteral("Esterno %1").arg(i)});
        SorgenteFinta s;
        s.tabelle << reparti(esterni) << magazzino({{false, QStringLiteral("A"), 1.0, kNull, 42}});
        QVERIFY(collegaECopia(env, s).ok);
        QCOMPARE(tabella(QStringLiteral("SELECT Descrizione FROM Reparti WHERE Cod = 40")),
                 QStringList{QStringLiteral("Esterno 40")});
        // No local row for 41 and 42: logged, the articles still copied (with the external name).
        QCOMPARE(tabella(QStringLiteral("SELECT Genere FROM Magazzino")), QStringList{QStringLiteral("Esterno 42")});
        const QStringList log = erroriLog(env);
        QCOMPARE(log.size(), 2);
        QVERIFY(log.at(0).contains(QStringLiteral("Esterno 41")));
        QVERIFY(log.at(0).contains(QStringLiteral("frmSplash-ImportaDaDatabaseEsterno")));
    }

    // More than 32767 - 51 articles: the counter has no 16-bit limit.
    void molteArticoli()
    {
        TestEnv env;
        QList<QVariantList> righe;
        for (int i = 0; i < 33000; ++i)
            righe << QVariantList{false, QStringLiteral("Art %1").arg(i), 1.0, kNull, kNull};
        SorgenteFinta s;
        s.tabelle << reparti({}) << magazzino(righe);
        QVERIFY(collegaECopia(env, s).ok);
        QCOMPARE(valoreDb(QStringLiteral("SELECT MAX(CodMateriale) FROM Magazzino")).toInt(), 33050);
    }

    void fallimentoLasciaLArchivio()
    {
        TestEnv env;
        archivioLocale();
        QVERIFY(Db::exec(QStringLiteral("CREATE TRIGGER boom BEFORE INSERT ON Magazzino WHEN NEW.Descrizione = 'BOOM' "
                                        "BEGIN SELECT RAISE(ABORT, 'boom'); END")));
        const QStringList prima = archivio();
        SorgenteFinta s;
        s.tabelle << reparti({{1, QStringLiteral("Pane")}})
                  << magazzino({{false, QStringLiteral("Buono"), 1.0, kNull, 1},
                                {false, QStringLiteral("BOOM"), 1.0, kNull, 1}});
        const Esito e = collegaECopia(env, s);
        QVERIFY(!e.ok);
        QVERIFY(e.descrizione.contains(QStringLiteral("boom")));
        QCOMPARE(archivio(), prima);
        QCOMPARE(Db::transactionDepth(), 0);
        QCOMPARE(erroriLog(env), QStringList()); // the start-up window logs it (avvioDallaFinestraIniziale)
    }

    // What turns the link off: the flag, the path, the file; a source without the tables.
    void collegamento()
    {
        TestEnv env;
        archivioLocale();
        const QStringList prima = archivio();
        SorgenteFinta s;
        s.tabelle << reparti({{1, QStringLiteral("Pane")}}) << magazzino({});
        int aperture = 0;
        auto apriFinta = [&](const QString&, Esito&) -> std::unique_ptr<SorgenteEsterna> {
            ++aperture;
            return std::make_unique<SorgenteFinta>(s);
        };
        // Whether the copy is to run; a refused link is returned, not logged.
        QList<Esito> rifiuti;
        const auto apri = [&](void*) {
            bool c = false;
            const Esito e = GestisciTabelleCollegate(apriFinta, c);
            if (!e)
                rifiuti << e;
            return c;
        };
        const QString file = env.path(QStringLiteral("esterno.mdb"));
        writeRaw(file, "finto");

        QVERIFY(!apri(nullptr)); // Quale missing
        QCOMPARE(Config::DatabaseEsterno::leggi().quale, QStringLiteral("?"));
        QVERIFY(Config::DatabaseEsterno::scrivi(QString()));
        QVERIFY(!apri(nullptr));
        QVERIFY(Config::DatabaseEsterno::scrivi(env.path(QStringLiteral("manca.mdb"))));
        QVERIFY(!apri(nullptr));
        QVERIFY(Config::DatabaseEsterno::scrivi(file));
        QVERIFY(Config::TabCollegate::scrivi(false));
        QCOMPARE(LeggiINI(env.setup(), QStringLiteral("TabCollegate"), QStringLiteral("Gestione"), {}),
                 QStringLiteral("Falso"));
        QVERIFY(ScriviINI(env.setup(), QStringLiteral("TabCollegate"), QStringLiteral("Gestione"),
                          QStringLiteral("fAlSo")));
        QVERIFY(!Config::TabCollegate::leggi().gestione);
        LeggiImpostazioni();
        QVERIFY(!apri(nullptr));
        QCOMPARE(aperture, 0);
        QCOMPARE(archivio(), prima);
        QVERIFY(!valoreDb(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'RepartiEsterno'")).isValid());

        QVERIFY(
            ScriviINI(env.setup(), QStringLiteral("TabCollegate"), QStringLiteral("Gestione"), QStringLiteral("Vero")));
        LeggiImpostazioni();
        QVERIFY(apri(nullptr));
        QCOMPARE(tabella(QStringLiteral("SELECT IDReparto, NomeReparto FROM RepartiEsterno")),
                 QStringList{QStringLiteral("1|Pane")});
        QCOMPARE(archivio(), prima); // the link alone copies nothing

        // Made again at each start-up; a source that lacks a table or a column is a logged refusal.
        s.tabelle[0] = reparti({{2, QStringLiteral("Latte")}});
        QVERIFY(apri(nullptr));
        QCOMPARE(tabella(QStringLiteral("SELECT NomeReparto FROM RepartiEsterno")),
                 QStringList{QStringLiteral("Latte")});
        s.tabelle.removeLast();
        QVERIFY(!apri(nullptr));
        s.tabelle << magazzino({});
        s.tabelle.last().colonne[5] = QStringLiteral("Categoria");
        QVERIFY(!apri(nullptr));
        QCOMPARE(rifiuti.size(), 2);
        QVERIFY(rifiuti.at(1).descrizione.contains(QStringLiteral("Reparto")));
        QCOMPARE(erroriLog(env), QStringList());
        // The failed link left the previous snapshot.
        QCOMPARE(tabella(QStringLiteral("SELECT NomeReparto FROM RepartiEsterno")),
                 QStringList{QStringLiteral("Latte")});
        QCOMPARE(archivio(), prima);
    }

    // The start-up window runs the link and the copy, then hands over. A link or a copy that
    // fails leaves the archive as it was, is logged once and told to the user once.
    void avvioDallaFinestraIniziale_data()
    {
        QTest::addColumn<QString>("guasto");
        QTest::newRow("copia riuscita") << QString();
        QTest::newRow("copia fallita") << QStringLiteral("copia");
        QTest::newRow("collegamento fallito") << QStringLiteral("collegamento");
    }
    void avvioDallaFinestraIniziale()
    {
        QFETCH(QString, guasto);
        TestEnv env;
        archivioLocale();
        const QStringList prima = archivio();
        writeRaw(env.path(QStringLiteral("esterno.mdb")), "finto");
        QVERIFY(Config::DatabaseEsterno::scrivi(env.path(QStringLiteral("esterno.mdb"))));
        SorgenteFinta s;
        s.tabelle << reparti({{1, QStringLiteral("Pane")}})
                  << magazzino(
                         {{false, QStringLiteral("Pagnotta"), 1.2, QStringLiteral("8001"), 1},
                          {false, guasto == QLatin1String("copia") ? QStringLiteral("BOOM") : QStringLiteral("Ok"), 1.0,
                           kNull, 1}});
        if (guasto == QLatin1String("collegamento"))
            s.tabelle.removeLast();
        QVERIFY(Db::exec(QStringLiteral("CREATE TRIGGER boom BEFORE INSERT ON Magazzino WHEN NEW.Descrizione = 'BOOM' "
                                        "BEGIN SELECT RAISE(ABORT, 'boom'); END")));
        // The program as start-up sees it, with the real link and copy over the fake source.
        struct Programma final : ::Programma
        {
            SorgenteFinta* sorgente = nullptr;
            int magazzinoMostrato = 0;
            void mostraMagazzinoModale() override { ++magazzinoMostrato; }
            void mostraMagazzino() override {}
            void terminaProgramma() override {}
            void terminaPerErroreGrave() override {}
            Esito gestisciTabelleCollegate(ProgressSink&, bool& c) override
            {
                return GestisciTabelleCollegate(
                    [this](const QString&, Esito&) -> std::unique_ptr<SorgenteEsterna> {
                        return std::make_unique<SorgenteFinta>(*sorgente);
                    },
                    c);
            }
            Esito importaDaDatabaseEsterno(ProgressSink& p) override { return ImportaDaDatabaseEsterno(p); }
        } programma;
        programma.sorgente = &s;
        env.usaProgramma(programma);
        frmSplash& splash = Forms::get<frmSplash>();
        splash.TimerCarica->setInterval(guasto == QLatin1String("collegamento") ? 10 : 60000);
        splash.showModeless();
        QTRY_COMPARE(programma.magazzinoMostrato, 1);
        env.usaProgramma(env.programma());

        const QStringList log = erroriLog(env);
        if (guasto.isEmpty()) {
            QCOMPARE(tabella(QStringLiteral("SELECT CodMateriale, Descrizione, Genere FROM Magazzino")),
                     (QStringList{"51|Pagnotta|Pane", "52|Ok|Pane"}));
            QCOMPARE(env.messages(), QStringList());
            QCOMPARE(log, QStringList());
            return;
        }
        QCOMPARE(archivio(), prima);
        QCOMPARE(env.messages().size(), 1);
        const QString m = env.messages().at(0);
        QVERIFY2(m.startsWith(QStringLiteral("L'archivio non è stato aggiornato dal database esterno.\nMotivo: ")),
                 qPrintable(m));
        QVERIFY2(m.contains(guasto == QLatin1String("copia") ? QStringLiteral("boom") : QStringLiteral("Magazzino"),
                            Qt::CaseInsensitive),
                 qPrintable(m));
        QCOMPARE(log.size(), 1);
        QVERIFY(log.at(0).contains(guasto == QLatin1String("copia")
                                       ? QStringLiteral("*-frmSplash-ImportaDaDatabaseEsterno-]")
                                       : QStringLiteral("*-Funzioni-GestisciTabelleCollegate-]")));
    }

    // libmdb on the Jet 3 sample: tables by name in any case, column names, typed values.
    void mdbJet3()
    {
        const Campione c = campione(QStringLiteral("nwind.mdb"));
        if (c.condivisa.isEmpty())
            QSKIP(qPrintable(c.messaggio));
        QVERIFY2(!c.path.isEmpty(), qPrintable(c.messaggio));
        const QString path = c.path;
        TestEnv env(false);
        Esito e;
        auto s = SorgenteMdb::apri(path, e);
        QVERIFY2(s, qPrintable(e.descrizione));
        QVERIFY(s->jet3());
        QVERIFY(s->tabelle().contains(QStringLiteral("Products")));
        QVERIFY(s->tabelle().contains(QStringLiteral("Umsätze")));

        TabellaEsterna t;
        QVERIFY(s->leggiTabella(QStringLiteral("products"), t).ok);
        QCOMPARE(t.nome, QStringLiteral("Products"));
        QCOMPARE(t.righe.size(), 77);
        const QVariantList& r = t.righe.first();
        QCOMPARE(r.value(t.colonna(QStringLiteral("PRODUCTID"))), QVariant(qlonglong(1)));
        QCOMPARE(r.value(t.colonna(QStringLiteral("ProductName"))).toString(), QStringLiteral("Chai"));
        QCOMPARE(r.value(t.colonna(QStringLiteral("CategoryID"))), QVariant(qlonglong(1)));
        QCOMPARE(r.value(t.colonna(QStringLiteral("QuantityPerUnit"))).toString(),
                 QStringLiteral("10 boxes x 20 bags"));
        QCOMPARE(r.value(t.colonna(QStringLiteral("UnitPrice"))).typeId(), QMetaType::Double);
        QCOMPARE(r.value(t.colonna(QStringLiteral("UnitPrice"))).toDouble(), 18.0);
        QCOMPARE(r.value(t.colonna(QStringLiteral("Discontinued"))), QVariant(false));

        QVERIFY(s->leggiTabella(QStringLiteral("CATEGORIES"), t).ok);
        QCOMPARE(t.righe.at(0).value(t.colonna(QStringLiteral("CategoryName"))).toString(),
                 QStringLiteral("Beverages"));
        QCOMPARE(t.righe.at(1).value(t.colonna(QStringLiteral("CategoryID"))), QVariant(qlonglong(2)));
        QCOMPARE(t.righe.at(1).value(t.colonna(QStringLiteral("CategoryName"))).toString(),
                 QStringLiteral("Condiments"));
        QVERIFY(s->leggiTabella(QStringLiteral("UMSÄTZE"), t).ok);
        QVERIFY(!s->leggiTabella(QStringLiteral("Reparti"), t).ok);
    }

    void mdbJet4()
    {
        const Campione c = campione(QStringLiteral("DateTestDatabase.mdb"));
        if (c.condivisa.isEmpty())
            QSKIP(qPrintable(c.messaggio));
        QVERIFY2(!c.path.isEmpty(), qPrintable(c.messaggio));
        const QString path = c.path;
        TestEnv env(false);
        Esito e;
        auto s = SorgenteMdb::apri(path, e);
        QVERIFY2(s, qPrintable(e.descrizione));
        QVERIFY(!s->jet3());
        TabellaEsterna t;
        QVERIFY(s->leggiTabella(QStringLiteral("datetest"), t).ok);
        QVERIFY(!t.righe.isEmpty());
        const QVariantList& r = t.righe.first();
        QCOMPARE(r.value(t.colonna(QStringLiteral("IDCol"))), QVariant(qlonglong(1)));
        QCOMPARE(r.value(t.colonna(QStringLiteral("LongTextCol"))).toString(), QStringLiteral("Hello"));
        QCOMPARE(r.value(t.colonna(QStringLiteral("ShortTextCol"))).toString(), QStringLiteral("Hello"));
        bool unaData = false;
        for (const QVariant& v : r)
            unaData = unaData || (v.typeId() == QMetaType::QDateTime && v.toDateTime().isValid());
        QVERIFY(unaData);
    }

    // The real link on a real Access file without the shop's tables, and on a file that is no
    // database: refused with its reason, the archive untouched.
    void mdbSenzaTabelleONonDatabase()
    {
        TestEnv env;
        archivioLocale();
        const QStringList prima = archivio();
        writeRaw(env.path(QStringLiteral("finto.mdb")), QByteArray(4096, 'x'));
        QVERIFY(Config::DatabaseEsterno::scrivi(env.path(QStringLiteral("finto.mdb"))));
        NoProgress p;
        bool collegate = true;
        Esito e = GestisciTabelleCollegate(p, collegate);
        QVERIFY(!collegate);
        QCOMPARE(e.numero, 3343);
        QCOMPARE(archivio(), prima);
        const Campione c = campione(QStringLiteral("nwind.mdb"));
        if (c.condivisa.isEmpty())
            QSKIP(qPrintable(c.messaggio)); // what follows needs the sample
        QVERIFY2(!c.path.isEmpty(), qPrintable(c.messaggio));
        QVERIFY(Config::DatabaseEsterno::scrivi(c.path));
        e = GestisciTabelleCollegate(p, collegate);
        QVERIFY(!e.ok);
        QVERIFY(!collegate);
        QCOMPARE(archivio(), prima);
    }
};

QTEST_MAIN(TestExternalDb)
#include "tst_externaldb.moc"
