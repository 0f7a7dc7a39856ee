// The statements the bulk writers run on the connection's own handle: they store and read what
// Qt's driver stores and reads, fail as it fails, and live in the transaction the program opened.
#include "core/Database.h"
#include "core/store/Istruzione.h"
#include "support/TestEnv.h"

#include <QSqlQuery>
#include <QUuid>
#include <QtTest>

namespace {

using Passo = Db::Istruzione::Passo;

// Type and value of each column of the row `id` of Prova, as SQLite holds them.
QStringList conservati(int id)
{
    QSqlQuery q = Db::query(QStringLiteral("SELECT typeof(i), i, typeof(d), d, typeof(t), t, typeof(n), typeof(v), "
                                           "length(v) FROM Prova WHERE id = ?"),
                            {id});
    QStringList r;
    if (q.next())
        for (int c = 0; c < 9; ++c)
            r << q.value(c).toString();
    return r;
}

const QString kTestoMisto = QStringLiteral("Caffè “Lavazza” 1€ – 日本 \U0001F600");

} // namespace

class TstIstruzione : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnv>();
        QVERIFY(Db::exec(QStringLiteral("CREATE TABLE Prova (id INTEGER PRIMARY KEY, i INTEGER, d REAL, t TEXT, "
                                        "n TEXT, v TEXT, u TEXT UNIQUE)")));
    }
    void cleanup() { m_env.reset(); }

    // Numbers stay numbers, texts keep every character, Null and empty stay apart; the row
    // reads back as the Qt driver reads it, and the statement runs again with new values.
    void legaPassaERiparte()
    {
        Db::Istruzione s;
        QVERIFY(s.prepara(QStringLiteral("INSERT INTO Prova (id, i, d, t, n, v) VALUES (?, ?, ?, ?, ?, ?)")));
        s.lega(0, 1);
        s.lega(1, qint64(9007199254740993)); // above a double's exact range
        s.lega(2, 0.1);
        s.lega(3, kTestoMisto);
        s.lega(4, QString());
        s.lega(5, QStringLiteral(""));
        QVERIFY(s.esegui());
        QCOMPARE(s.cambiate(), 1);
        s.lega(0, 2);
        s.lega(1, -3);
        s.lega(2, std::optional<double>(2.5));
        s.lega(3, QStringLiteral("/"));
        s.lega(4, std::optional<double>());
        s.legaNullo(5);
        QVERIFY(s.esegui());

        QCOMPARE(conservati(1),
                 (QStringList{"integer", "9007199254740993", "real", "0.1", "text", kTestoMisto, "null", "text", "0"}));
        QCOMPARE(conservati(2), (QStringList{"integer", "-3", "real", "2.5", "text", "/", "null", "null", ""}));

        Db::Istruzione l;
        QVERIFY(l.prepara(QStringLiteral("SELECT i, d, t, n, v FROM Prova WHERE id >= ? ORDER BY id")));
        QSqlQuery q = Db::query(QStringLiteral("SELECT i, d, t, n, v FROM Prova WHERE id >= ? ORDER BY id"), {1});
        l.lega(0, 1);
        for (int riga = 0; riga < 2; ++riga) {
            QCOMPARE(l.passo(), Passo::Riga);
            QVERIFY(q.next());
            for (int c = 0; c < 5; ++c) {
                QCOMPARE(l.valore(c), q.value(c));
                QCOMPARE(l.valore(c).isNull(), q.value(c).isNull());
                QCOMPARE(l.testo(c), q.value(c).toString());
                QCOMPARE(l.testo(c).isNull(), q.value(c).isNull());
                QCOMPARE(l.nullo(c), q.value(c).isNull());
            }
        }
        QCOMPARE(l.passo(), Passo::Fine);

        // A read left after its first row takes new values and starts over.
        l.lega(0, 1);
        QCOMPARE(l.passo(), Passo::Riga);
        QCOMPARE(l.intero(0), qint64(9007199254740993));
        l.lega(0, 2);
        QCOMPARE(l.passo(), Passo::Riga);
        QCOMPARE(l.reale(1), 2.5);
        l.azzera();
        l.lega(0, 3);
        QCOMPARE(l.passo(), Passo::Fine);
    }

    // A row the database refuses, a statement that does not compile, a value bound out of place:
    // the same error the Qt path gave, read the same way, and the statement still usable.
    void fallisceComeQt()
    {
        {
            QVERIFY(Db::exec(QStringLiteral("INSERT INTO Prova (id, u) VALUES (1, 'x')")));
            QSqlQuery q(Db::dbNegozio());
            QVERIFY(q.prepare(QStringLiteral("INSERT INTO Prova (id, u) VALUES (?, ?)")));
            q.addBindValue(2);
            q.addBindValue(QStringLiteral("x"));
            QVERIFY(!q.exec());

            Db::Istruzione s;
            QVERIFY(s.prepara(QStringLiteral("INSERT INTO Prova (id, u) VALUES (?, ?)")));
            s.lega(0, 2);
            s.lega(1, QStringLiteral("x"));
            QVERIFY(!s.esegui());
            QCOMPARE(s.errore().text(), q.lastError().text());
            QCOMPARE(s.errore().nativeErrorCode(), q.lastError().nativeErrorCode());
            QCOMPARE(s.errore().type(), q.lastError().type());
            const Esito e = Db::esitoDi(s.errore());
            QCOMPARE(e.numero, int(VbErr::RowRefused));
            QCOMPARE(e.descrizione, Db::esitoDi(q.lastError()).descrizione);
            QVERIFY(s.errore().text().contains(QStringLiteral("UNIQUE")));

            s.lega(0, 2);
            s.lega(1, QStringLiteral("y"));
            QVERIFY(s.esegui());
            QCOMPARE(Db::valore(QStringLiteral("SELECT u FROM Prova WHERE id = 2")).valore->toString(),
                     QStringLiteral("y"));

            // A value bound past the statement's places: nothing runs with what was bound before.
            s.lega(0, 3);
            s.lega(1, QStringLiteral("z"));
            s.lega(2, QStringLiteral("oltre"));
            QCOMPARE(s.passo(), Passo::Errore);
            QCOMPARE(Db::valore(QStringLiteral("SELECT COUNT(*) FROM Prova")).valore->toInt(), 2);
            QVERIFY(!Db::esitoDi(s.errore()));

            QSqlQuery p(Db::dbNegozio());
            QVERIFY(!p.prepare(QStringLiteral("INSERT INTO Manca (x) VALUES (?)")));
            Db::Istruzione m;
            QVERIFY(!m.prepara(QStringLiteral("INSERT INTO Manca (x) VALUES (?)")));
            QVERIFY(!m.pronta());
            QCOMPARE(m.errore().text(), p.lastError().text());
            QCOMPARE(m.passo(), Passo::Errore);
        }
        Db::ChiudiDatabase();
        Db::Istruzione chiuso;
        QVERIFY(!chiuso.prepara(QStringLiteral("SELECT 1")));
        QCOMPARE(chiuso.passo(), Passo::Errore);
    }

    // Another program holds the database: "in use", as the Qt path says it, not a refused row.
    void databaseInUso()
    {
        const QString nome = QUuid::createUuid().toString();
        {
            QSqlDatabase altra = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nome);
            altra.setDatabaseName(Db::currentPath());
            QVERIFY(altra.open());
            QSqlQuery blocco(altra);
            QVERIFY(blocco.exec(QStringLiteral("BEGIN IMMEDIATE")));
            {
                Db::AttesaBreve breve;
                QSqlQuery q(Db::dbNegozio());
                QVERIFY(q.prepare(QStringLiteral("INSERT INTO Prova (id) VALUES (?)")));
                q.addBindValue(5);
                QVERIFY(!q.exec());
                Db::Istruzione s;
                QVERIFY(s.prepara(QStringLiteral("INSERT INTO Prova (id) VALUES (?)")));
                s.lega(0, 5);
                QVERIFY(!s.esegui());
                QVERIFY(Db::inUso(s.errore()));
                QCOMPARE(s.errore().text(), q.lastError().text());
                const Esito e = Db::esitoDi(s.errore());
                QCOMPARE(e.numero, int(VbErr::DatabaseInUse));
                QCOMPARE(Db::perUtente(e, QStringLiteral("altro")), Db::testoInUso());
            }
            QVERIFY(blocco.exec(QStringLiteral("ROLLBACK")));
            altra.close();
        }
        QSqlDatabase::removeDatabase(nome);
    }

    // The rows go into the transaction and savepoint the program has open: undone with them,
    // kept with them.
    void nellaTransazioneAperta()
    {
        Db::Istruzione s;
        QVERIFY(s.prepara(QStringLiteral("INSERT INTO Prova (id) VALUES (?)")));
        {
            Db::Transaction fuori;
            QVERIFY(fuori.ok());
            s.lega(0, 1);
            QVERIFY(s.esegui());
            {
                Db::Transaction dentro;
                QVERIFY(dentro.nested());
                s.lega(0, 2);
                QVERIFY(s.esegui());
                QCOMPARE(Db::valore(QStringLiteral("SELECT COUNT(*) FROM Prova")).valore->toInt(), 2);
            } // rolled back
            QCOMPARE(Db::valore(QStringLiteral("SELECT COUNT(*) FROM Prova")).valore->toInt(), 1);
            QVERIFY(fuori.commit());
        }
        {
            Db::Transaction annullata;
            s.lega(0, 3);
            QVERIFY(s.esegui());
        }
        QCOMPARE(Db::valore(QStringLiteral("SELECT group_concat(id) FROM Prova")).valore->toString(),
                 QStringLiteral("1"));
    }

private:
    std::unique_ptr<TestEnv> m_env;
};

QTEST_MAIN(TstIstruzione)
#include "tst_istruzione.moc"
