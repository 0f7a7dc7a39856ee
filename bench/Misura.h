#pragma once
// What every benchmark measures by: the median of several runs, the ratio against the same work
// done through SQLite's own C API with its goal beside it, and the peak memory where a goal names
// one. A goal missed makes the run end with a non-zero exit once every line is printed.
#include "Riuscito.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <sys/resource.h>
#include <vector>

// The median of `giri` runs of `giro`, which returns its own time in ms.
inline double mediana(int giri, const std::function<double()>& giro)
{
    std::vector<double> t;
    for (int i = 0; i < std::max(giri, 1); ++i)
        t.push_back(giro());
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// The time of `f` in ms.
inline double cronometra(const std::function<void()>& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

// The peak resident memory since the last azzeraPicco() (Linux: VmHWM, reset through clear_refs).
inline long piccoKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& l : f.readAll().split('\n')) {
            if (l.startsWith("VmHWM:"))
                return l.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

inline void azzeraPicco()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// The goals of one run: each check prints its line and remembers a miss.
class Obiettivi
{
public:
    // "<nome>  <ms> ms  bare <nudo> ms  ratio <r> (goal <= <obiettivo>: met)"
    void rapporto(const QString& nome, double ms, double nudo, double obiettivo, const QString& coda = {})
    {
        const double r = ms / nudo;
        const bool ok = r <= obiettivo;
        std::printf("%-44s %9.1f ms  bare (C API) %8.1f ms  ratio %5.2f (goal <= %.1f: %s)%s%s\n", qPrintable(nome), ms,
                    nudo, r, obiettivo, ok ? "met" : "NOT MET", coda.isEmpty() ? "" : "  ", qPrintable(coda));
        std::fflush(stdout);
        if (!ok)
            m_mancati << QStringLiteral("%1: ratio %2 over %3").arg(nome).arg(r, 0, 'f', 2).arg(obiettivo);
    }
    // A value that must stay at or under its goal (memory, a time), printed with its unit.
    void massimo(const QString& nome, double valore, double obiettivo, const char* unita)
    {
        const bool ok = valore <= obiettivo;
        std::printf("%-44s %9.1f %s (goal <= %.0f %s: %s)\n", qPrintable(nome), valore, unita, obiettivo, unita,
                    ok ? "met" : "NOT MET");
        std::fflush(stdout);
        if (!ok)
            m_mancati << QStringLiteral("%1: %2 %3 over %4").arg(nome).arg(valore, 0, 'f', 1).arg(unita).arg(obiettivo);
    }
    // A value that must reach its goal.
    void minimo(const QString& nome, double valore, double obiettivo, const char* unita)
    {
        const bool ok = valore >= obiettivo;
        std::printf("%-44s %9.1f %s (goal >= %.0f %s: %s)\n", qPrintable(nome), valore, unita, obiettivo, unita,
                    ok ? "met" : "NOT MET");
        std::fflush(stdout);
        if (!ok)
            m_mancati
                << QStringLiteral("%1: %2 %3 under %4").arg(nome).arg(valore, 0, 'f', 1).arg(unita).arg(obiettivo);
    }
    // The exit status: 0 when every goal was met.
    int esito() const
    {
        if (m_mancati.isEmpty()) {
            std::printf("every goal met\n");
            return 0;
        }
        std::fprintf(stderr, "GOALS NOT MET: %s\n", qPrintable(m_mancati.join(QStringLiteral("; "))));
        return 1;
    }

private:
    QStringList m_mancati;
};

// The bare side: its own connection to the same database file, the program's durability.
struct Nudo
{
    sqlite3* db = nullptr;
    explicit Nudo(const QString& path)
    {
        riuscitoSqlite(db, sqlite3_open(QFile::encodeName(path).constData(), &db), "bare database (open)");
        esegui("PRAGMA synchronous = FULL");
        sqlite3_busy_timeout(db, 5000);
    }
    ~Nudo() { sqlite3_close(db); }
    Nudo(const Nudo&) = delete;
    Nudo& operator=(const Nudo&) = delete;
    sqlite3_stmt* prepara(const char* sql)
    {
        sqlite3_stmt* s = nullptr;
        riuscitoSqlite(db, sqlite3_prepare_v2(db, sql, -1, &s, nullptr), "bare statement (prepare)");
        return s;
    }
    void esegui(const char* sql) { riuscitoSqlite(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr), sql); }
};

// Binds UTF-8 text SQLite copies.
inline void legaTesto(sqlite3_stmt* s, int i, const QByteArray& b)
{
    sqlite3_bind_text(s, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}
inline void legaTesto(sqlite3_stmt* s, int i, const QString& t)
{
    legaTesto(s, i, t.toUtf8());
}
// Steps a write to its end and makes it ready for the next row.
inline void scriviNudo(sqlite3_stmt* s, const char* passo)
{
    passoSqlite(s, passo);
    sqlite3_reset(s);
}
