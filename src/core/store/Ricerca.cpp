#include "core/store/Ricerca.h"

#include "core/Database.h"
#include "core/Lookups.h"
#include "core/config/Config.h"

#include <QSqlError>
#include <optional>

namespace Articoli::Ricerca {

QString tuttoArchivio()
{
    return QStringLiteral("Select * from Magazzino order by descrizione");
}

QString tutti()
{
    return QStringLiteral("Select * from Magazzino");
}

QString escapeLike(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (QChar ch : s) {
        if (ch == QLatin1Char('\\') || ch == QLatin1Char('%') || ch == QLatin1Char('_'))
            out += QLatin1Char('\\');
        out += ch;
    }
    return out;
}

Letto<QString> valoreReparto(const QString& descrizione)
{
    return Config::Generale::salvaRepartoComeCodice() ? TrovaCodiceRep(descrizione)
                                                      : Letto<QString>::trovato(descrizione);
}

namespace {

enum class Modo { Uguale, Prefisso };

// A letter and its other case, when that case folds back to it (µ has none in Windows-1252).
QString forme(QChar c)
{
    QString f(c);
    for (const QChar x : {c.toLower(), c.toUpper()})
        if (x != c && x.toLower() == c.toLower() && !f.contains(x))
            f += x;
    return f;
}

// The first text after every text that starts with `s`, in code-point order; none past the last.
std::optional<QString> dopoIlPrefisso(const QString& s)
{
    QList<uint> cp = s.toUcs4();
    while (!cp.isEmpty()) {
        if (cp.last() < 0x10FFFF) {
            ++cp.last();
            if (cp.last() == 0xD800) // no code point is a surrogate
                cp.last() = 0xE000;
            return QString::fromUcs4(reinterpret_cast<const char32_t*>(cp.constData()), cp.size());
        }
        cp.removeLast();
    }
    return std::nullopt;
}

// Appends the condition that `colonna` equals, or starts with, `testo` ignoring the case of every
// letter, in a form the column's index serves. SQLite folds ASCII only (a NOCASE column, LIKE),
// so each letter it does not fold is tried in both cases; past kLettere such letters the rows
// of the forms tried are checked with the connection's minuscole(). Typed text is bound, and %,
// _ and \ stay characters.
void confronta(QStringList& condizioni, QVariantList& valori, const QString& colonna, bool nocase, const QString& testo,
               Modo modo)
{
    constexpr int kLettere = 6; // at most 64 forms
    QStringList radici{QString()};
    int lettere = 0;
    qsizetype fine = 0;
    for (; fine < testo.size(); ++fine) {
        const QChar c = testo.at(fine);
        const QString f = nocase && c.unicode() < 0x80 ? QString(c) : forme(c);
        if (f.size() > 1 && ++lettere > kLettere)
            break;
        QStringList prossime;
        for (const QString& r : std::as_const(radici))
            for (const QChar x : f)
                prossime << r + x;
        radici = prossime;
    }
    const bool intero = fine == testo.size();

    QStringList termini;
    if (intero && modo == Modo::Uguale) {
        termini << colonna + (radici.size() == 1
                                  ? QStringLiteral(" = ?")
                                  : QStringLiteral(" IN (?") + QStringLiteral(",?").repeated(radici.size() - 1) +
                                        QLatin1Char(')'));
        for (const QString& r : std::as_const(radici))
            valori << r;
    } else if (nocase) {
        // A prefix LIKE on a NOCASE column lets SQLite search the column's index.
        for (const QString& r : std::as_const(radici)) {
            termini << colonna + QStringLiteral(" LIKE ? ESCAPE '\\'");
            valori << escapeLike(r) + QLatin1Char('%');
        }
    } else {
        for (const QString& r : std::as_const(radici)) {
            const std::optional<QString> dopo = dopoIlPrefisso(r);
            termini << (dopo ? QStringLiteral("(%1 >= ? AND %1 < ?)").arg(colonna) : colonna + QStringLiteral(" >= ?"));
            valori << r;
            if (dopo)
                valori << *dopo;
        }
    }
    QString condizione = termini.size() == 1
                             ? termini.first()
                             : QLatin1Char('(') + termini.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    if (!intero) {
        if (modo == Modo::Uguale) {
            condizione += QStringLiteral(" AND minuscole(%1) = ?").arg(colonna);
            valori << Db::minuscole(testo);
        } else {
            condizione += QStringLiteral(" AND minuscole(%1) LIKE ? ESCAPE '\\'").arg(colonna);
            valori << escapeLike(Db::minuscole(testo)) + QLatin1Char('%');
        }
    }
    condizioni << condizione;
}

} // namespace

Letto<Query> costruisci(const Criteri& c)
{
    const QString ordine = QStringLiteral(" order by descrizione");
    if (c.opzione == optPrezzoZero)
        return Letto<Query>::trovato({QStringLiteral("Select * From Magazzino where Costo=0") + ordine, {}});
    if (c.opzione == optQtaZero)
        return Letto<Query>::trovato({QStringLiteral("Select * From Magazzino where \"Quantità\"<=0") + ordine, {}});

    // Descrizione, Genere and Fornitore are NOCASE columns; the codes compare as stored.
    QStringList condizioni;
    Query q;
    if (!c.testo.isEmpty()) {
        switch (c.opzione) {
        case optDescrizione:
            confronta(condizioni, q.valori, QStringLiteral("Descrizione"), true, c.testo, Modo::Prefisso);
            break;
        case optBarCode:
            confronta(condizioni, q.valori, QStringLiteral("BarCode"), false, c.testo, Modo::Uguale);
            break;
        case optCodFornitore:
            confronta(condizioni, q.valori, QStringLiteral("CodProdottoFornitore"), false, c.testo, Modo::Uguale);
            break;
        default:
            break;
        }
    }
    if (!c.reparto.isEmpty()) {
        const Letto<QString> reparto = valoreReparto(c.reparto);
        if (!reparto.ok)
            return Letto<Query>::fallito(reparto.errore);
        confronta(condizioni, q.valori, QStringLiteral("Genere"), true, *reparto.valore, Modo::Uguale);
    }
    if (!c.fornitore.isEmpty())
        confronta(condizioni, q.valori, QStringLiteral("Fornitore"), true, c.fornitore, Modo::Uguale);
    if (condizioni.isEmpty())
        return Letto<Query>::trovato({tuttoArchivio(), {}});
    q.sql = QStringLiteral("Select * From Magazzino where ") + condizioni.join(QStringLiteral(" and ")) + ordine;
    return Letto<Query>::trovato(q);
}

Letto<QList<Eliminato>> eliminati()
{
    QSqlQuery q = Db::query(QStringLiteral("SELECT CodMateriale, Descrizione, BarCode, Costo FROM Magazzino "
                                           "WHERE Eliminato IS NULL OR Eliminato <> 0 ORDER BY Descrizione"));
    if (!q.isActive())
        return Letto<QList<Eliminato>>::fallito(q.lastError().text());
    QList<Eliminato> out;
    while (q.next())
        out << Eliminato{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3)};
    return Letto<QList<Eliminato>>::trovato(out);
}

} // namespace Articoli::Ricerca
