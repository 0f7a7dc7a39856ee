#pragma once
// A benchmark step that failed measures nothing: the run stops there with a non-zero exit, saying
// which step and why, before any time or ratio of it is printed. The bare side's statements are
// checked too: a bare reference that failed halfway would make any ratio look good.
#include "core/ErrorLog.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

[[noreturn]] inline void nonRiuscito(const char* passo, const QString& perche = {})
{
    if (perche.isEmpty())
        std::fprintf(stderr, "%s non riuscito\n", passo);
    else
        std::fprintf(stderr, "%s non riuscito: %s\n", passo, qPrintable(perche));
    std::fflush(stdout);
    std::exit(1);
}

inline void riuscito(bool ok, const char* passo, const QString& perche = {})
{
    if (!ok)
        nonRiuscito(passo, perche);
}

inline void riuscito(const Esito& e, const char* passo)
{
    if (!e)
        nonRiuscito(passo, e.descrizione);
}

// Runs a prepared Qt statement; the driver's text only on failure (nothing added to a timed loop).
inline void eseguito(QSqlQuery& q, const char* passo)
{
    if (!q.exec())
        nonRiuscito(passo, q.lastError().text());
}
inline void eseguito(QSqlQuery& q, const QString& sql, const char* passo)
{
    if (!q.exec(sql))
        nonRiuscito(passo, q.lastError().text());
}

// One step of a bare SQLite statement: SQLITE_ROW or SQLITE_DONE, anything else ends the run.
inline int passoSqlite(sqlite3_stmt* s, const char* passo)
{
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        nonRiuscito(passo, QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(s))));
    return rc;
}
inline void riuscitoSqlite(sqlite3* db, int rc, const char* passo)
{
    if (rc != SQLITE_OK)
        nonRiuscito(passo, QString::fromUtf8(sqlite3_errmsg(db)));
}
