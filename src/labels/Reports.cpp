#include "labels/Reports.h"

#include "core/VbConvert.h"

namespace Reports {

namespace {

// A column of text, cut with "…" where it does not fit.
ColonnaReport testo(const QString& intestazione, int larghezza)
{
    return {intestazione, larghezza, Qt::AlignLeft, false};
}
// A code or a date: printed whole.
ColonnaReport codice(const QString& intestazione, int larghezza)
{
    return {intestazione, larghezza, Qt::AlignLeft, true};
}
// A number: right-aligned, printed whole.
ColonnaReport numero(const QString& intestazione, int larghezza)
{
    return {intestazione, larghezza, Qt::AlignRight, true};
}

} // namespace

QString dataLunga(const QDate& d)
{
    return Vb::italian().toString(d, QLocale::LongFormat);
}

Report ReportMagazzino(QList<QStringList> righe, const QString& valore, const QDate& oggi)
{
    Report r;
    r.nome = QStringLiteral("ReportMagazzino");
    r.larghezza = 14745;
    // The report is wider than a portrait page: it prints landscape, with narrower margins.
    r.margine = 720;
    r.orientamento = QPageLayout::Landscape;
    r.intestazione = {{QStringLiteral("Magazzino del Punto Vendita - Giacenze"), {}, 14, true},
                      {QStringLiteral("Situazione alla data:"), dataLunga(oggi), 9, false}};
    r.colonne = {codice(QStringLiteral("Cod.  For."), 1500),
                 testo(QStringLiteral("Descrizione"), 3845),
                 testo(QStringLiteral("Genere"), 1600),
                 numero(QStringLiteral("Giacenze"), 1100),
                 numero(QStringLiteral("Prezzo di Vendita"), 1900),
                 codice(QStringLiteral("BarCode"), 1800),
                 numero(QStringLiteral("Costo"), 1200),
                 testo(QStringLiteral("Fornitore"), 1800)};
    r.righeVerticali = true;
    r.piede = {{QStringLiteral("Totale Articoli:"), QString::number(righe.size()), 9, true},
               {QStringLiteral("Valore Giacenze:"), valore, 9, true}};
    r.righe = std::move(righe);
    return r;
}

Report rptPLU(QList<QStringList> righe, const QDate& dal, const QDate& al)
{
    Report r;
    r.nome = QStringLiteral("rptPLU");
    r.larghezza = 7665;
    r.margine = 1440;
    r.intestazione = {{QStringLiteral("Dettaglio PLU venduti"), {}, 14, true},
                      {QStringLiteral("Vendite effettuate in data:"),
                       Vb::formatDate(dal) + QStringLiteral(" - ") + Vb::formatDate(al), 9, false}};
    r.colonne = {numero(QStringLiteral("Q.tà"), 1000), testo(QStringLiteral("Descrizione"), 4465),
                 codice(QStringLiteral("EAN"), 2200)};
    r.righe = std::move(righe);
    return r;
}

Report rptOfferte(QList<QStringList> righe, const QDate& oggi)
{
    Report r;
    r.nome = QStringLiteral("rptOfferte");
    r.larghezza = 13005;
    r.margine = 1440;
    r.orientamento = QPageLayout::Landscape;
    r.intestazione = {{QStringLiteral("Elenco Offerte in Archivio"), {}, 14, true},
                      {QStringLiteral("Data di Stampa"), dataLunga(oggi), 9, false}};
    r.colonne = {testo(QStringLiteral("Descrizione"), 3605),
                 codice(QStringLiteral("DAL"), 1400),
                 codice(QStringLiteral("AL"), 1400),
                 numero(QStringLiteral("Sconto Valore "), 1800),
                 numero(QStringLiteral("Sconto Percentuale"), 2000),
                 numero(QStringLiteral("Prezzo di Vendita Scontato "), 2800)};
    r.numeroPagine = false;
    r.righe = std::move(righe);
    return r;
}

} // namespace Reports
