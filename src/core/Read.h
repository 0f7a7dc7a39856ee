#pragma once
// The outcome of a read that may find nothing: a failed query is an error, never "no rows".
// Callers must not delete or overwrite anything on the strength of a read that failed.
#include <QString>
#include <optional>
#include <utility>

template <class T> struct [[nodiscard]] Letto
{
    bool ok = false;         // the query ran
    std::optional<T> valore; // empty: no such row
    QString errore;          // the driver's text when !ok

    static Letto trovato(T v) { return Letto{true, std::move(v), {}}; }
    static Letto assente() { return Letto{true, std::nullopt, {}}; }
    static Letto fallito(const QString& e) { return Letto{false, std::nullopt, e}; }
    bool trovatoValore() const { return ok && valore.has_value(); }
};
