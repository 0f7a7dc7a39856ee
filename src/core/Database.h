#pragma once
// The shop database: one SQLite connection to Dati/DbNegozio.db for the whole run, for queries
// and statements alike. Small helpers run bound statements and report failure without throwing.
#include "core/ErrorLog.h"
#include "core/Read.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace Db {

QSqlDatabase dbNegozio();
bool isOpen();
QString currentPath();

// Opens (replacing any open one) the database at `path`; a missing file is created from the
// schema when its folder exists. A file that is not a database is an error, and the previous
// connection is then closed. Also writes the program-location file.
Esito ApriDatabase(const QString& path);
void ChiudiDatabase();

// Checks a database file on its own connection: it opens, it is a database, it holds the
// tables in `required`. The open connection is not touched.
Esito verificaDatabase(const QString& path, const QStringList& required);

// Writes [Tavrino] Percorso = the program folder to the program-location file.
[[nodiscard]] bool ScriviPercorsoProgramma();

// A failed statement as an Esito: RowRefused when the database refused the row's values (a
// constraint, a trigger, a value of the wrong type or size), DatabaseInUse when another program
// held it, DatabaseError for anything else (a full disk, an I/O error); only the first is the
// row's fault.
Esito esitoDi(const QSqlError& errore);

// Another program holds the database (SQLite's BUSY or LOCKED): the work is tried again later,
// nothing is wrong with the data. Told from the driver's code, or from a failure's text where only
// the text travelled (Letto, Esito, a commit's error, which loses the code): SQLite's fixed words
// for those codes, or the program's own text for them.
bool inUso(const QSqlError& errore);
bool inUso(const QString& testo);
bool inUso(const Esito& esito);
// What every window tells the user then.
QString testoInUso();
// SQLite's own words for a write that found the disk full (SQLITE_FULL).
bool discoPienoNelTesto(const QString& testo);
// The reason a failure gives the user to act on, empty when it has none: the archive held by
// another program, or a full disk.
QString motivoPerUtente(const Esito& esito);
// `testo`, or testoInUso() when `esito` failed because another program held the database.
QString perUtente(const Esito& esito, const QString& testo);

// For work a timer starts (the IN-folder poll, the list reload): while it lives, a statement that
// finds the database held by another program gives up after kAttesaBreveMs instead of the
// driver's 5 s, so the window keeps answering; the work fails as inUso() and its next tick tries
// again. The wait before comes back at the end, so guards nest.
class AttesaBreve
{
public:
    static constexpr int kAttesaBreveMs = 20;
    AttesaBreve();
    ~AttesaBreve();
    AttesaBreve(const AttesaBreve&) = delete;
    AttesaBreve& operator=(const AttesaBreve&) = delete;

private:
    int m_prima = -1; // the wait before, in ms; -1 when none was changed
};

// Runs `sql` with positional values bound. On failure returns false and sets *error.
[[nodiscard]] bool exec(const QString& sql, const QVariantList& values = {}, QString* error = nullptr);
// First column of the first row: found (a Null column is a null QVariant), absent when there is
// no row, failed with the query's error when it did not run.
Letto<QVariant> valore(const QString& sql, const QVariantList& values = {});
// A prepared query with the values bound and executed; check isActive() for success.
QSqlQuery query(const QString& sql, const QVariantList& values = {});
// The same, forward-only, for a query read once from first to last row: no copy of the rows is kept.
QSqlQuery queryAvanti(const QString& sql, const QVariantList& values = {});

// Commits on commit(); rolls back when it goes out of scope uncommitted. A transaction opened
// while another is open is a savepoint inside it: its rollback undoes only its own work, and its
// commit is final only when the outer one commits. So save code runs alone or inside an import.
class Transaction
{
public:
    Transaction();
    ~Transaction();
    bool ok() const { return m_ok; }
    [[nodiscard]] bool commit();
    // The database's error when the start or the commit failed.
    const QString& errore() const { return m_errore; }
    // Undoes this level's work now (the destructor would do the same).
    void rollback();
    bool nested() const { return m_level > 0; }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    bool m_ok = false;
    bool m_done = false;
    int m_level = 0;
    QString m_errore;
};
// How many transactions are open now (0: none).
int transactionDepth();

// Every letter in lower case, one character for one (Unicode's simple mapping): what a search
// compares so that à finds À as a finds A. The connection knows it as the SQL function
// minuscole(x), since SQLite's own NOCASE and LIKE fold ASCII letters only.
QString minuscole(QStringView testo);

// Booleans come back from old files as 0/1/-1 or text; Jet's True was -1.
inline bool isTrue(const QVariant& v)
{
    return !v.isNull() && v.toDouble() != 0;
}

} // namespace Db
