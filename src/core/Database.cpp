#include "core/Database.h"

#include "core/AppState.h"

#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QUuid>
#include <sqlite3.h>

namespace Db {

namespace {
const char* kConnection = "dbNegozio";

void sqlMinuscole(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const void* testo = sqlite3_value_text16(argv[0]);
    if (!testo) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    const QString m = minuscole(QStringView(static_cast<const char16_t*>(testo), sqlite3_value_bytes16(argv[0]) / 2));
    sqlite3_result_text16(ctx, m.utf16(), int(m.size() * 2), SQLITE_TRANSIENT);
}

// The SQLite connection under the driver; null when there is none.
sqlite3* connessioneSqlite(const QSqlDatabase& db)
{
    const QVariant h = db.driver()->handle();
    return h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0 ? *static_cast<sqlite3* const*>(h.constData())
                                                                 : nullptr;
}

// The functions the program's SQL calls, on this connection.
Esito registraFunzioni(QSqlDatabase& db)
{
    sqlite3* handle = connessioneSqlite(db);
    if (!handle)
        return Esito::fallito(VbErr::DatabaseError, QStringLiteral("connessione SQLite non raggiungibile"));
    const int rc =
        sqlite3_create_function_v2(handle, "minuscole", 1, SQLITE_UTF16 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                   nullptr, sqlMinuscole, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return Esito::fallito(VbErr::DatabaseError, QString::fromUtf8(sqlite3_errstr(rc)));
    return Esito::riuscito();
}

Esito configure(QSqlDatabase& db)
{
    QSqlQuery q(db);
    // Reading the schema is the first thing that fails on a file that is not a database.
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
        // Only "not a database" and "corrupt" say so; a locked or unreadable file is another story.
        const QString code = q.lastError().nativeErrorCode();
        const bool notADb = code == QLatin1String("26") || code == QLatin1String("11");
        return Esito::fallito(notADb ? VbErr::NotADatabase : VbErr::DatabaseError, q.lastError().text());
    }
    // Every write reaches the disk before it counts as done; a connection that cannot promise it
    // is not used.
    for (const QString& pragma :
         {QStringLiteral("PRAGMA synchronous = FULL"), QStringLiteral("PRAGMA foreign_keys = OFF")})
        if (!q.exec(pragma))
            return Esito::fallito(VbErr::DatabaseError, q.lastError().text());
    return registraFunzioni(db);
}
} // namespace

QString minuscole(QStringView testo)
{
    QString out(testo.size(), Qt::Uninitialized);
    QChar* o = out.data();
    for (QChar c : testo)
        *o++ = c.toLower();
    return out;
}

QSqlDatabase dbNegozio()
{
    return QSqlDatabase::database(QString::fromLatin1(kConnection), false);
}

bool isOpen()
{
    return QSqlDatabase::contains(QString::fromLatin1(kConnection)) && dbNegozio().isOpen();
}

QString currentPath()
{
    return app().database.percorso;
}

void ChiudiDatabase()
{
    if (QSqlDatabase::contains(QString::fromLatin1(kConnection))) {
        {
            QSqlDatabase db = dbNegozio();
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(QString::fromLatin1(kConnection));
    }
    app().database.percorso.clear();
}

Esito ApriDatabase(const QString& path)
{
    ChiudiDatabase();
    const QFileInfo fi(path);
    if (!fi.exists()) {
        if (!fi.absoluteDir().exists())
            return Esito::fallito(VbErr::PathNotFound, fi.absolutePath());
    } else if (!fi.isFile() || !fi.isReadable()) {
        return Esito::fallito(VbErr::PermissionDenied, path);
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QString::fromLatin1(kConnection));
    db.setDatabaseName(path);
    if (!db.open()) {
        const QString err = db.lastError().text();
        db = QSqlDatabase();
        ChiudiDatabase();
        return Esito::fallito(VbErr::DatabaseError, err);
    }
    Esito e = configure(db);
    QString err;
    if (e && !Schema::upgrade(db, &err))
        e = Esito::fallito(VbErr::DatabaseError, err);
    if (!e) {
        db = QSqlDatabase();
        ChiudiDatabase();
        return e;
    }
    app().database.percorso = path;
    // The database is open: a program-location file that cannot be written is only logged.
    if (!ScriviPercorsoProgramma())
        ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("ApriDatabase"), VbErr::PermissionDenied,
                     Paths::programLocationFile());
    return Esito::riuscito();
}

Esito verificaDatabase(const QString& path, const QStringList& required)
{
    if (!QFileInfo(path).isFile())
        return Esito::fallito(VbErr::FileNotFound, path);
    const QString name = QStringLiteral("verifica-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    Esito result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            result = Esito::fallito(VbErr::DatabaseError, db.lastError().text());
        } else {
            result = configure(db);
            if (result) {
                for (const QString& t : required) {
                    QSqlQuery q(db);
                    q.prepare(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND name=? "
                                             "COLLATE NOCASE"));
                    q.addBindValue(t);
                    if (!q.exec() || !q.next() || q.value(0).toInt() == 0) {
                        result = Esito::fallito(VbErr::NotADatabase, t);
                        break;
                    }
                }
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

bool ScriviPercorsoProgramma()
{
    QDir().mkpath(Paths::configFolder());
    return ScriviINI(Paths::programLocationFile(), QStringLiteral("Tavrino"), QStringLiteral("Percorso"),
                     Paths::programFolder());
}

namespace {
QSqlQuery preparaEdEsegui(QSqlQuery q, const QString& sql, const QVariantList& values)
{
    if (!q.prepare(sql))
        return q;
    for (const QVariant& v : values)
        q.addBindValue(v);
    q.exec();
    return q;
}
} // namespace

QSqlQuery query(const QString& sql, const QVariantList& values)
{
    return preparaEdEsegui(QSqlQuery(dbNegozio()), sql, values);
}

QSqlQuery queryAvanti(const QString& sql, const QVariantList& values)
{
    QSqlQuery q(dbNegozio());
    q.setForwardOnly(true);
    return preparaEdEsegui(std::move(q), sql, values);
}

namespace {
// SQLite's primary result code of a failure (extended codes keep it in the low byte), or -1.
int codiceSqlite(const QSqlError& errore)
{
    bool numero = false;
    const int codice = errore.nativeErrorCode().toInt(&numero);
    return numero ? codice & 0xFF : -1;
}
} // namespace

Esito esitoDi(const QSqlError& errore)
{
    if (inUso(errore))
        return Esito::fallito(VbErr::DatabaseInUse);
    const int codice = codiceSqlite(errore);
    constexpr int kTroppoGrande = 18, kVincolo = 19, kTipoErrato = 20;
    const bool rifiutata = codice == kVincolo || codice == kTipoErrato || codice == kTroppoGrande;
    return Esito::fallito(rifiutata ? VbErr::RowRefused : VbErr::DatabaseError, errore.text());
}

bool inUso(const QSqlError& errore)
{
    constexpr int kBusy = 5, kLocked = 6;
    const int codice = codiceSqlite(errore);
    return codice == kBusy || codice == kLocked || (codice < 0 && inUso(errore.text()));
}

bool inUso(const QString& testo)
{
    // sqlite3_errstr of SQLITE_BUSY, and of SQLITE_LOCKED in its plain and schema forms.
    for (const QLatin1String parole : {QLatin1String("database is locked"), QLatin1String("database table is locked"),
                                       QLatin1String("database schema is locked")})
        if (testo.contains(parole, Qt::CaseInsensitive))
            return true;
    return testo.contains(testoInUso());
}

bool inUso(const Esito& esito)
{
    return !esito.ok && (esito.numero == int(VbErr::DatabaseInUse) || inUso(esito.descrizione));
}

QString testoInUso()
{
    return descrizioneErrore(VbErr::DatabaseInUse);
}

bool discoPienoNelTesto(const QString& testo)
{
    return testo.contains(QLatin1String("database or disk is full"), Qt::CaseInsensitive);
}

QString motivoPerUtente(const Esito& esito)
{
    if (esito.ok)
        return {};
    if (inUso(esito))
        return testoInUso();
    if (esito.numero == int(VbErr::DiskFull))
        return QStringLiteral("Disco pieno: liberare spazio e riprovare");
    return {};
}

QString perUtente(const Esito& esito, const QString& testo)
{
    return inUso(esito) ? testoInUso() : testo;
}

namespace {
// The connection's wait for a held database, in ms; -1 when it cannot be read.
int attesaOccupato()
{
    QSqlQuery q(dbNegozio());
    return q.exec(QStringLiteral("PRAGMA busy_timeout")) && q.next() ? q.value(0).toInt() : -1;
}
bool impostaAttesaOccupato(int ms)
{
    // A pragma takes no bound value: the number is the program's own.
    QSqlQuery q(dbNegozio());
    return q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(ms));
}
} // namespace

AttesaBreve::AttesaBreve()
{
    if (!isOpen())
        return;
    const int prima = attesaOccupato();
    if (prima > kAttesaBreveMs && impostaAttesaOccupato(kAttesaBreveMs))
        m_prima = prima;
}

AttesaBreve::~AttesaBreve()
{
    if (m_prima < 0 || !isOpen())
        return;
    if (!impostaAttesaOccupato(m_prima))
        ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("AttesaBreve"), VbErr::DatabaseError,
                     QStringLiteral("busy_timeout %1").arg(m_prima));
}

bool exec(const QString& sql, const QVariantList& values, QString* error)
{
    QSqlQuery q = query(sql, values);
    if (!q.isActive()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    return true;
}

Letto<QVariant> valore(const QString& sql, const QVariantList& values)
{
    QSqlQuery q = query(sql, values);
    if (!q.isActive())
        return Letto<QVariant>::fallito(q.lastError().text());
    if (!q.next())
        return q.lastError().isValid() ? Letto<QVariant>::fallito(q.lastError().text()) : Letto<QVariant>::assente();
    return Letto<QVariant>::trovato(q.value(0));
}

namespace {
QString savepointName(int level)
{
    return QStringLiteral("tavrino_sp%1").arg(level);
}
bool execRaw(const QString& sql, QString* errore = nullptr)
{
    QSqlQuery q(dbNegozio());
    if (q.exec(sql))
        return true;
    if (errore)
        *errore = q.lastError().text();
    return false;
}
} // namespace

int transactionDepth()
{
    return app().database.profondita;
}

Transaction::Transaction()
{
    m_level = app().database.profondita;
    if (m_level == 0) {
        QSqlDatabase db = dbNegozio();
        m_ok = db.transaction();
        if (!m_ok)
            m_errore = db.lastError().text();
    } else {
        m_ok = execRaw(QStringLiteral("SAVEPOINT ") + savepointName(m_level), &m_errore);
    }
    if (m_ok)
        ++app().database.profondita;
}

Transaction::~Transaction()
{
    if (m_ok && !m_done)
        rollback();
}

void Transaction::rollback()
{
    if (!m_ok || m_done)
        return;
    m_done = true;
    --app().database.profondita;
    QString errore;
    if (m_level == 0) {
        app().database.nonAnnullato = false;
        QSqlDatabase db = dbNegozio();
        // A write that failed on a full disk (or an I/O error) has made SQLite end the transaction
        // itself: there is nothing left to undo, and no second failure to log.
        sqlite3* c = connessioneSqlite(db);
        if (c && sqlite3_get_autocommit(c))
            return;
        if (!db.rollback())
            ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("Transaction"), VbErr::DatabaseError,
                         db.lastError().text());
        return;
    }
    const QString sp = savepointName(m_level);
    if (!execRaw(QStringLiteral("ROLLBACK TO ") + sp, &errore)) {
        // Its rows are still in the outer transaction: committing that would keep half an operation.
        app().database.nonAnnullato = true;
        ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("Transaction"), VbErr::DatabaseError, errore);
    } else if (!execRaw(QStringLiteral("RELEASE ") + sp, &errore)) {
        ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("Transaction"), VbErr::DatabaseError, errore);
    }
}

bool Transaction::commit()
{
    if (!m_ok || m_done)
        return false;
    if (m_level > 0) {
        if (!execRaw(QStringLiteral("RELEASE ") + savepointName(m_level), &m_errore)) {
            rollback();
            return false;
        }
        m_done = true;
        --app().database.profondita;
        return true;
    }
    if (app().database.nonAnnullato) {
        m_errore = QStringLiteral("una parte dell'operazione non è stata annullata");
        rollback();
        return false;
    }
    QSqlDatabase db = dbNegozio();
    if (db.commit()) {
        m_done = true;
        --app().database.profondita;
        return true;
    }
    m_errore = db.lastError().text();
    rollback();
    return false;
}

} // namespace Db
