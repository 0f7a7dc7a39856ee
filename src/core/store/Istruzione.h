#pragma once
// One statement prepared on the shop connection's own SQLite handle, for the work that writes
// many rows (price-list and central-warehouse imports, PLU staging, the stock booking): bound,
// stepped and reset row by row without the per-value cost of Qt's binding, inside whatever
// transaction or savepoint the connection has open. A failure is told as Qt's driver tells it
// (QSqlError, same text and code), so Db::esitoDi and Db::inUso read it as before.
#include <QSqlError>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

struct sqlite3_stmt;

namespace Db {

class Istruzione
{
public:
    enum class Passo { Riga, Fine, Errore };

    Istruzione() = default;
    ~Istruzione();
    Istruzione(Istruzione&& altra) noexcept;
    Istruzione& operator=(Istruzione&& altra) noexcept;
    Istruzione(const Istruzione&) = delete;
    Istruzione& operator=(const Istruzione&) = delete;

    // Prepares `sql` on the open shop database (any earlier statement is dropped); false, with
    // errore() set, when it does not compile or no database is open.
    [[nodiscard]] bool prepara(const QString& sql);
    bool pronta() const { return m_s != nullptr; }

    // Values by position from 0, as QSqlQuery::bindValue. A null QString and an empty optional
    // are Null. Binding after a step starts the statement over.
    void lega(int posizione, qint64 valore);
    void lega(int posizione, int valore) { lega(posizione, qint64(valore)); }
    void lega(int posizione, double valore);
    void lega(int posizione, bool valore) { lega(posizione, qint64(valore ? 1 : 0)); }
    void lega(int posizione, const QString& valore);
    void lega(int posizione, const std::optional<double>& valore);
    void legaNullo(int posizione);

    // The next row; Fine and Errore leave the statement ready for its next values.
    Passo passo();
    // Runs the statement to its end (a write): false, with errore() set, when it failed.
    [[nodiscard]] bool esegui();
    // Ready for new values after a read stopped before its end.
    void azzera();
    // The rows the last write changed.
    int cambiate() const;

    // The current row's columns, from 0.
    bool nullo(int colonna) const;
    qint64 intero(int colonna) const;
    double reale(int colonna) const;
    // Null is a null QString; a number is its text as QVariant::toString writes it.
    QString testo(int colonna) const;
    // The column as Qt's driver hands it over (qlonglong, double, QString, QByteArray, Null).
    QVariant valore(int colonna) const;

    const QSqlError& errore() const { return m_errore; }

private:
    void lasciaInCorso();
    void legato(int rc);
    void libera();

    sqlite3_stmt* m_s = nullptr;
    bool m_inCorso = false;
    int m_erroreLegame = 0;          // the first failed bind since the last step
    std::vector<QByteArray> m_testi; // the bound texts, kept until rebound
    QSqlError m_errore;
};

} // namespace Db
