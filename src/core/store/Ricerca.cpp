#include "core/store/Ricerca.h"

#include "core/Database.h"
#include "core/Lookups.h"
#include "core/config/Config.h"

#include <QSqlError>

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

QString valoreReparto(const QString& descrizione)
{
    return Config::Generale::salvaRepartoComeCodice() ? TrovaCodiceRep(descrizione) : descrizione;
}

Query costruisci(const Criteri& c)
{
    const QString ordine = QStringLiteral(" order by descrizione");
    if (c.opzione == optPrezzoZero)
        return {QStringLiteral("Select * From Magazzino where Costo=0") + ordine, {}};
    if (c.opzione == optQtaZero)
        return {QStringLiteral("Select * From Magazzino where \"Quantità\"<=0") + ordine, {}};

    QStringList condizioni;
    Query q;
    if (!c.testo.isEmpty()) {
        switch (c.opzione) {
        case optDescrizione:
            // A prefix LIKE on the NOCASE column lets SQLite search the description index.
            condizioni << QStringLiteral("Descrizione LIKE ? ESCAPE '\\'");
            q.valori << escapeLike(c.testo) + QLatin1Char('%');
            break;
        case optBarCode:
            condizioni << QStringLiteral("BarCode = ?");
            q.valori << c.testo;
            break;
        case optCodFornitore:
            condizioni << QStringLiteral("CodProdottoFornitore = ?");
            q.valori << c.testo;
            break;
        default:
            break;
        }
    }
    if (!c.reparto.isEmpty()) {
        condizioni << QStringLiteral("Genere = ?");
        q.valori << valoreReparto(c.reparto);
    }
    if (!c.fornitore.isEmpty()) {
        condizioni << QStringLiteral("Fornitore = ?");
        q.valori << c.fornitore;
    }
    if (condizioni.isEmpty())
        return {tuttoArchivio(), {}};
    q.sql = QStringLiteral("Select * From Magazzino where ") + condizioni.join(QStringLiteral(" and ")) + ordine;
    return q;
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
