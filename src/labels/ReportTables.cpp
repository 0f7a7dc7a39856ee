#include "labels/ReportTables.h"

#include "core/ColonneLista.h"
#include "core/Database.h"
#include "core/VbConvert.h"
#include "core/store/Report.h"

#include <QSqlError>
#include <QSqlQuery>
#include <functional>

namespace ReportTables {

namespace {

const QString kModulo = QStringLiteral("Magazzino");

using namespace ColonneLista;

QString cella(const QStringList& riga, int col)
{
    return col < riga.size() ? riga.at(col) : QString();
}

Esito fallito(const QString& procedura, VbErr e, const QString& dettaglio)
{
    const Esito es = Esito::fallito(e, dettaglio);
    ScriviErrore(kModulo, procedura, es);
    return es;
}

Letto<Righe> leggi(const QString& sql, const QVariantList& valori, int colonne)
{
    QSqlQuery q = Db::query(sql, valori);
    if (!q.isActive())
        return Letto<Righe>::fallito(q.lastError().text());
    Righe out;
    while (q.next()) {
        QStringList r;
        r.reserve(colonne);
        for (int c = 0; c < colonne; ++c)
            r << q.value(c).toString();
        out << r;
    }
    if (q.lastError().isValid())
        return Letto<Righe>::fallito(q.lastError().text());
    return Letto<Righe>::trovato(out);
}

} // namespace

namespace {

// The values of one row to write; an empty list skips the row, a failure stops the fill.
using ValoriRiga = std::function<Esito(const QStringList& riga, QVariantList& valori)>;

// Empties `tabella` and writes `righe` into it through `insert`, all in one transaction.
Esito riempi(const QString& proc, const QString& tabella, const QString& insert, const Righe& righe,
             const ValoriRiga& valoriRiga)
{
    Db::Transaction t;
    if (!t.ok())
        return fallito(proc, VbErr::DatabaseError, t.errore());
    QString errore;
    if (!Db::exec(QStringLiteral("DELETE FROM ") + tabella, {}, &errore))
        return fallito(proc, VbErr::DatabaseError, errore);
    QSqlQuery ins(Db::dbNegozio());
    if (!ins.prepare(insert))
        return fallito(proc, VbErr::DatabaseError, ins.lastError().text());
    for (const QStringList& r : righe) {
        QVariantList v;
        if (const Esito e = valoriRiga(r, v); !e) {
            ScriviErrore(kModulo, proc, e);
            return e;
        }
        if (v.isEmpty())
            continue;
        for (int i = 0; i < v.size(); ++i)
            ins.bindValue(i, v.at(i));
        if (!ins.exec())
            return fallito(proc, VbErr::DatabaseError, ins.lastError().text());
    }
    ins.finish();
    if (!t.commit())
        return fallito(proc, VbErr::DatabaseError, t.errore());
    return Esito::riuscito();
}

} // namespace

Esito ValorizzaTabReportMagazzino(const Righe& lista, bool sottoMinimo)
{
    const QString insert = sottoMinimo
                               ? QStringLiteral("INSERT INTO rptMagazzino (CodProdotto, Descrizione, Categoria, "
                                                "\"Quantità\", Giacenze, UnitaMisura, Costo, Costo2) "
                                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
                               : QStringLiteral("INSERT INTO rptMagazzino (CodProdotto, Descrizione, Categoria, "
                                                "\"Quantità\", Colore, UnitaMisura, Costo, Costo2) "
                                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    return riempi(QStringLiteral("ValorizzaTabReportMagazzino"), QStringLiteral("rptMagazzino"), insert, lista,
                  [sottoMinimo](const QStringList& r, QVariantList& v) {
                      const QString reparto = cella(r, colReparto);
                      const QString categoria = reparto.isEmpty() ? QStringLiteral("***") : reparto;
                      if (sottoMinimo) {
                          const auto minimo = Vb::cdbl(cella(r, colMin));
                          const auto qta = Vb::cdbl(cella(r, colQta));
                          if (!minimo || !qta)
                              return Esito::fallito(VbErr::TypeMismatch, cella(r, colCod));
                          if (*minimo < *qta)
                              return Esito::riuscito();
                          v = {cella(r, colCod),     cella(r, colDescrizione), categoria,
                               cella(r, colQta),     cella(r, colMin),         cella(r, colUM),
                               cella(r, colPrezzoV), cella(r, colFornitore)};
                      } else {
                          v = {cella(r, colCodForn), cella(r, colDescrizione), categoria,
                               cella(r, colQta),     cella(r, colPrezzoV),     cella(r, colBarCode),
                               cella(r, colPrezzoA), cella(r, colFornitore)};
                      }
                      return Esito::riuscito();
                  });
}

Esito ValorizzaTabellaDiStampa(const Righe& offerte)
{
    return riempi(QStringLiteral("ValorizzaTabellaDiStampa"), QStringLiteral("rptProdotti"),
                  QStringLiteral("INSERT INTO rptProdotti (Descrizione, Reparto, Costo, CodProdotto, Prezzo2, "
                                 "CostoAcquisto) VALUES (?, ?, ?, ?, ?, ?)"),
                  offerte, [](const QStringList& r, QVariantList& v) {
                      // The discounted price is written as a number with two decimals; a cell that
                      // is not a number stops the fill.
                      const auto prezzo = Vb::cdbl(cella(r, 7));
                      if (!prezzo)
                          return Esito::fallito(VbErr::TypeMismatch, cella(r, 7));
                      v = {cella(r, 2), cella(r, 3), cella(r, 4), cella(r, 5), cella(r, 6), Vb::money(*prezzo)};
                      return Esito::riuscito();
                  });
}

Letto<Righe> righeMagazzino()
{
    return leggi(QStringLiteral("SELECT CodProdotto, Descrizione, Categoria, \"Quantità\", Colore, UnitaMisura, "
                                "Costo, Costo2 FROM rptMagazzino ORDER BY rowid"),
                 {}, 8);
}

Letto<Righe> righeOfferte()
{
    return leggi(QStringLiteral("SELECT Descrizione, Reparto, Costo, CodProdotto, Prezzo2, CostoAcquisto "
                                "FROM rptProdotti ORDER BY rowid"),
                 {}, 6);
}

Letto<Righe> righeVenduto(const QDate& dal, const QDate& al)
{
    const auto movimenti = Articoli::movimentiVenduti(dal, al);
    if (!movimenti.ok)
        return Letto<Righe>::fallito(movimenti.errore);
    Righe out;
    for (const Articoli::MovimentoVenduto& m : *movimenti.valore)
        out << QStringList{m.qta ? Vb::cstr(*m.qta) : QString(), m.descrizione, m.ean};
    return Letto<Righe>::trovato(out);
}

} // namespace ReportTables
