#include "labels/Reports.h"

#include "core/VbConvert.h"

namespace Reports {

namespace {
constexpr Qt::Alignment kDestra = Qt::AlignRight;
}

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
    r.colonne = {{QStringLiteral("Cod.  For."), 1500},
                 {QStringLiteral("Descrizione"), 3845},
                 {QStringLiteral("Genere"), 1600},
                 {QStringLiteral("Giacenze"), 1100, kDestra},
                 {QStringLiteral("Prezzo di Vendita"), 1900, kDestra},
                 {QStringLiteral("BarCode"), 1800},
                 {QStringLiteral("Costo"), 1200, kDestra},
                 {QStringLiteral("Fornitore"), 1800}};
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
    r.colonne = {
        {QStringLiteral("Q.tà"), 1000, kDestra}, {QStringLiteral("Descrizione"), 4465}, {QStringLiteral("EAN"), 2200}};
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
    r.colonne = {{QStringLiteral("Descrizione"), 3605},
                 {QStringLiteral("DAL"), 1400},
                 {QStringLiteral("AL"), 1400},
                 {QStringLiteral("Sconto Valore "), 1800, kDestra},
                 {QStringLiteral("Sconto Percentuale"), 2000, kDestra},
                 {QStringLiteral("Prezzo di Vendita Scontato "), 2800, kDestra}};
    r.numeroPagine = false;
    r.righe = std::move(righe);
    return r;
}

} // namespace Reports
