#include "core/store/Istruzione.h"

#include "core/Database.h"

#include <QCoreApplication>
#include <QSqlDriver>
#include <sqlite3.h>
#include <utility>

namespace Db {

namespace {

// The shop connection's own handle; nullptr when no database is open.
sqlite3* connessione()
{
    if (!isOpen())
        return nullptr;
    const QVariant h = dbNegozio().driver()->handle();
    return h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0 ? *static_cast<sqlite3* const*>(h.constData())
                                                                 : nullptr;
}

// A failure in the words and with the code Qt's SQLite driver gives it.
QSqlError erroreDi(sqlite3* db, const char* cosa, QSqlError::ErrorType tipo, int codice)
{
    const QString testo = db ? QString::fromUtf16(static_cast<const char16_t*>(sqlite3_errmsg16(db))) : QString();
    return QSqlError(QCoreApplication::translate("QSQLiteResult", cosa), testo, tipo, QString::number(codice));
}

} // namespace

Istruzione::~Istruzione()
{
    libera();
}

Istruzione::Istruzione(Istruzione&& altra) noexcept
    : m_s(std::exchange(altra.m_s, nullptr)), m_inCorso(altra.m_inCorso), m_erroreLegame(altra.m_erroreLegame),
      m_testi(std::move(altra.m_testi)), m_errore(std::move(altra.m_errore))
{
}

Istruzione& Istruzione::operator=(Istruzione&& altra) noexcept
{
    if (this != &altra) {
        libera();
        m_s = std::exchange(altra.m_s, nullptr);
        m_inCorso = altra.m_inCorso;
        m_erroreLegame = altra.m_erroreLegame;
        m_testi = std::move(altra.m_testi);
        m_errore = std::move(altra.m_errore);
    }
    return *this;
}

void Istruzione::libera()
{
    if (m_s)
        sqlite3_finalize(m_s);
    m_s = nullptr;
    m_inCorso = false;
    m_erroreLegame = 0;
    m_testi.clear();
}

bool Istruzione::prepara(const QString& sql)
{
    libera();
    m_errore = QSqlError();
    sqlite3* db = connessione();
    if (!db) {
        m_errore = QSqlError(QStringLiteral("Driver not loaded"), QStringLiteral("Driver not loaded"),
                             QSqlError::ConnectionError);
        return false;
    }
    const QByteArray testo = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db, testo.constData(), int(testo.size()), &m_s, nullptr);
    if (rc != SQLITE_OK) {
        m_errore = erroreDi(db, "Unable to execute statement", QSqlError::StatementError, rc);
        sqlite3_finalize(m_s);
        m_s = nullptr;
        return false;
    }
    m_testi.resize(size_t(sqlite3_bind_parameter_count(m_s)));
    return true;
}

void Istruzione::lasciaInCorso()
{
    if (m_inCorso) {
        sqlite3_reset(m_s);
        m_inCorso = false;
    }
}

void Istruzione::legato(int rc)
{
    if (rc != SQLITE_OK && m_erroreLegame == 0) {
        m_erroreLegame = rc;
        // No text of an earlier row may stay bound to a buffer already given back.
        sqlite3_clear_bindings(m_s);
    }
}

void Istruzione::lega(int posizione, qint64 valore)
{
    if (!m_s)
        return;
    lasciaInCorso();
    legato(sqlite3_bind_int64(m_s, posizione + 1, valore));
}

void Istruzione::lega(int posizione, double valore)
{
    if (!m_s)
        return;
    lasciaInCorso();
    legato(sqlite3_bind_double(m_s, posizione + 1, valore));
}

void Istruzione::lega(int posizione, const QString& valore)
{
    if (!m_s)
        return;
    if (valore.isNull()) {
        legaNullo(posizione);
        return;
    }
    lasciaInCorso();
    if (posizione < 0 || size_t(posizione) >= m_testi.size()) {
        legato(SQLITE_RANGE);
        return;
    }
    // The UTF-8 stays here until the place is bound again: SQLite reads it without a copy.
    QByteArray& b = m_testi[size_t(posizione)];
    b = valore.toUtf8();
    legato(sqlite3_bind_text(m_s, posizione + 1, b.constData(), int(b.size()), SQLITE_STATIC));
}

void Istruzione::lega(int posizione, const std::optional<double>& valore)
{
    if (valore)
        lega(posizione, *valore);
    else
        legaNullo(posizione);
}

void Istruzione::legaNullo(int posizione)
{
    if (!m_s)
        return;
    lasciaInCorso();
    legato(sqlite3_bind_null(m_s, posizione + 1));
}

Istruzione::Passo Istruzione::passo()
{
    if (!m_s) {
        if (!m_errore.isValid())
            m_errore = QSqlError(QStringLiteral("Driver not loaded"), QStringLiteral("Driver not loaded"),
                                 QSqlError::ConnectionError);
        return Passo::Errore;
    }
    sqlite3* db = sqlite3_db_handle(m_s);
    if (m_erroreLegame != 0) {
        const int rc = std::exchange(m_erroreLegame, 0);
        m_errore = QSqlError(QCoreApplication::translate("QSQLiteResult", "Unable to bind parameters"),
                             QString::fromUtf8(sqlite3_errstr(rc)), QSqlError::StatementError, QString::number(rc));
        lasciaInCorso();
        return Passo::Errore;
    }
    m_inCorso = true;
    int rc = sqlite3_step(m_s);
    if (rc == SQLITE_ROW)
        return Passo::Riga;
    m_inCorso = false;
    if (rc == SQLITE_DONE) {
        sqlite3_reset(m_s);
        return Passo::Fine;
    }
    // As the driver does: the generic codes get their precise one from the reset.
    const int primario = rc & 0xFF;
    if (primario == SQLITE_CONSTRAINT || primario == SQLITE_ERROR)
        rc = sqlite3_reset(m_s);
    else
        sqlite3_reset(m_s);
    m_errore = erroreDi(db, "Unable to fetch row", QSqlError::ConnectionError, rc);
    return Passo::Errore;
}

bool Istruzione::esegui()
{
    Passo p = passo();
    while (p == Passo::Riga)
        p = passo();
    return p == Passo::Fine;
}

void Istruzione::azzera()
{
    if (m_s)
        lasciaInCorso();
}

int Istruzione::cambiate() const
{
    return m_s ? sqlite3_changes(sqlite3_db_handle(m_s)) : 0;
}

bool Istruzione::nullo(int colonna) const
{
    return sqlite3_column_type(m_s, colonna) == SQLITE_NULL;
}

qint64 Istruzione::intero(int colonna) const
{
    return sqlite3_column_int64(m_s, colonna);
}

double Istruzione::reale(int colonna) const
{
    return sqlite3_column_double(m_s, colonna);
}

QString Istruzione::testo(int colonna) const
{
    switch (sqlite3_column_type(m_s, colonna)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_TEXT: {
        // As the driver builds it: an empty text stays empty, not null.
        const auto* t = static_cast<const QChar*>(sqlite3_column_text16(m_s, colonna));
        return QString(t, sqlite3_column_bytes16(m_s, colonna) / qsizetype(sizeof(QChar)));
    }
    default:
        return valore(colonna).toString();
    }
}

QVariant Istruzione::valore(int colonna) const
{
    switch (sqlite3_column_type(m_s, colonna)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_s, colonna)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_s, colonna));
    case SQLITE_NULL:
        return QVariant(QMetaType(QMetaType::QString));
    case SQLITE_BLOB: {
        const char* b = static_cast<const char*>(sqlite3_column_blob(m_s, colonna));
        return QVariant(QByteArray(b, sqlite3_column_bytes(m_s, colonna)));
    }
    default:
        return QVariant(testo(colonna));
    }
}

} // namespace Db
