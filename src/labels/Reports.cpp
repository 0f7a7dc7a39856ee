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

// A column of the report and the field of the record printed in it.
template <class Riga> struct Campo
{
    ColonnaReport colonna;
    QString Riga::*campo;
};

template <class Riga, std::size_t N>
void colonneERighe(Report& r, const Campo<Riga> (&campi)[N], const QList<Riga>& righe)
{
    for (const Campo<Riga>& c : campi)
        r.colonne << c.colonna;
    for (const Riga& riga : righe) {
        QStringList celle;
        for (const Campo<Riga>& c : campi)
            celle << riga.*(c.campo);
        r.righe << celle;
    }
}

} // namespace

QString dataLunga(const QDate& d)
{
    return Vb::italian().toString(d, QLocale::LongFormat);
}

Report ReportMagazzino(const QList<ReportTables::RigaReportMagazzino>& righe, double valore, const QDate& oggi)
{
    using R = ReportTables::RigaReportMagazzino;
    Report r;
    r.nome = QStringLiteral("ReportMagazzino");
    r.larghezza = 14745;
    // The report is wider than a portrait page: it prints landscape, with narrower margins.
    r.margine = 720;
    r.orientamento = QPageLayout::Landscape;
    r.intestazione = {{QStringLiteral("Magazzino del Punto Vendita - Giacenze"), {}, 14, true},
                      {QStringLiteral("Situazione alla data:"), dataLunga(oggi), 9, false}};
    const Campo<R> campi[] = {{codice(QStringLiteral("Cod.  For."), 1500), &R::codiceFornitore},
                              {testo(QStringLiteral("Descrizione"), 3845), &R::descrizione},
                              {testo(QStringLiteral("Genere"), 1600), &R::reparto},
                              {numero(QStringLiteral("Giacenze"), 1100), &R::quantita},
                              {numero(QStringLiteral("Prezzo di Vendita"), 1900), &R::prezzoVendita},
                              {codice(QStringLiteral("BarCode"), 1800), &R::barCode},
                              {numero(QStringLiteral("Costo"), 1200), &R::prezzoAcquisto},
                              {testo(QStringLiteral("Fornitore"), 1800), &R::fornitore}};
    colonneERighe(r, campi, righe);
    r.righeVerticali = true;
    r.piede = {{QStringLiteral("Totale Articoli:"), QString::number(righe.size()), 9, true},
               {QStringLiteral("Valore Giacenze:"), Vb::money(valore), 9, true}};
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

Report rptOfferte(const QList<ReportTables::RigaReportOfferte>& righe, const QDate& oggi)
{
    using R = ReportTables::RigaReportOfferte;
    Report r;
    r.nome = QStringLiteral("rptOfferte");
    r.larghezza = 13005;
    r.margine = 1440;
    r.orientamento = QPageLayout::Landscape;
    r.intestazione = {{QStringLiteral("Elenco Offerte in Archivio"), {}, 14, true},
                      {QStringLiteral("Data di Stampa"), dataLunga(oggi), 9, false}};
    const Campo<R> campi[] = {{testo(QStringLiteral("Descrizione"), 3605), &R::descrizione},
                              {codice(QStringLiteral("DAL"), 1400), &R::dal},
                              {codice(QStringLiteral("AL"), 1400), &R::al},
                              {numero(QStringLiteral("Sconto Valore "), 1800), &R::scontoValore},
                              {numero(QStringLiteral("Sconto Percentuale"), 2000), &R::scontoPercentuale},
                              {numero(QStringLiteral("Prezzo di Vendita Scontato "), 2800), &R::prezzoScontato}};
    colonneERighe(r, campi, righe);
    r.numeroPagine = false;
    return r;
}

} // namespace Reports
