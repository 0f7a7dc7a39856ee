#include "labels/ui/ReportComandi.h"

#include "core/ErrorLog.h"
#include "core/Interaction.h"
#include "core/Lookups.h"
#include "core/Progress.h"
#include "core/ui/Printers.h"
#include "labels/ExportExcel.h"
#include "labels/Reports.h"
#include "labels/ui/ReportPreview.h"

#include <QApplication>
#include <QCursor>

namespace ReportComandi {

namespace {

const QString kDomanda = QStringLiteral("Si preferisce esportare in file Excel?");
const QString kPreparazioneFallita = QStringLiteral("Stampa NON effettuata!!! - Errore nella preparazione dei dati");

bool esportare(Interaction& ia)
{
    return ia.ask(kDomanda, Interaction::Yes | Interaction::No, Interaction::Icon::Question) == Interaction::Yes;
}

bool stampanti(Interaction& ia)
{
    if (CiSonoStampanti())
        return true;
    ia.ask(QStringLiteral("ATTENZIONE Nessuna stampante A4 installata! - Impossibile proseguire con la stampa"),
           Interaction::Ok, Interaction::Icon::Critical);
    return false;
}

// The hourglass while the data are prepared; the normal pointer again before any window shows.
class Clessidra
{
public:
    Clessidra() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~Clessidra() { fine(); }
    void fine()
    {
        if (m_attiva)
            QApplication::restoreOverrideCursor();
        m_attiva = false;
    }

private:
    bool m_attiva = true;
};

// A report's data made ready and the report shown: `riempi` refills its working table, `leggi`
// reads the rows back, `componi` makes the report of them. A failure is told; a failed read is
// logged under the report's name (the fills log their own).
template <class Riempi, class Leggi, class Componi>
void mostraReport(Interaction& ia, QWidget* parent, const QString& nome, Riempi riempi, Leggi leggi, Componi componi)
{
    Clessidra c;
    if (!riempi()) {
        c.fine();
        ia.error(kPreparazioneFallita);
        return;
    }
    const auto righe = leggi();
    c.fine();
    if (!righe.ok) {
        ScriviErrore(nome, QStringLiteral("DataReport_Initialize"), VbErr::DatabaseError, righe.errore);
        ia.error(kPreparazioneFallita);
        return;
    }
    ReportPreview::mostra(componi(*righe.valore), parent);
}

} // namespace

void cmdStampaMagazzino_Click(Interaction& ia, QWidget* parent, const QList<Articoli::ArticoloElencato>& articoli,
                              bool soloQtaZero, ProgressSink& progresso)
{
    if (esportare(ia)) {
        Clessidra c;
        ExportExcel::EsportaMagazzinoExcel(ia, soloQtaZero, progresso);
        return;
    }
    if (!stampanti(ia))
        return;
    mostraReport(
        ia, parent, QStringLiteral("ReportMagazzino"),
        [&] { return ReportTables::ValorizzaTabReportMagazzino(articoli, false); }, &ReportTables::righeMagazzino,
        [&](const QList<ReportTables::RigaReportMagazzino>& righe) {
            return Reports::ReportMagazzino(righe, ReportTables::valoreGiacenze(articoli), QDate::currentDate());
        });
}

void cmdStampaVPLU_Click(Interaction& ia, QWidget* parent, const QDate& dal, const QDate& al, ProgressSink& progresso)
{
    if (esportare(ia)) {
        Clessidra c;
        ExportExcel::EsportaVendutoExcel(ia, dal, al, progresso);
        return;
    }
    if (!stampanti(ia))
        return;
    // Read straight from the sales history: no working table.
    mostraReport(
        ia, parent, QStringLiteral("rptPLU"), [] { return Esito::riuscito(); },
        [&] { return ReportTables::righeVenduto(dal, al); },
        [&](const ReportTables::Righe& righe) { return Reports::rptPLU(righe, dal, al); });
}

void cmdStampaElencoOfferte_Click(Interaction& ia, QWidget* parent, const QList<Articoli::Offerta>& offerte)
{
    if (!stampanti(ia))
        return;
    if (offerte.isEmpty()) {
        ia.info(QStringLiteral("Nessun prodotto da stampare!!!"));
        return;
    }
    mostraReport(
        ia, parent, QStringLiteral("rptOfferte"), [&] { return ReportTables::ValorizzaTabellaDiStampa(offerte); },
        &ReportTables::righeOfferte,
        [](const QList<ReportTables::RigaReportOfferte>& righe) {
            return Reports::rptOfferte(righe, QDate::currentDate());
        });
}

} // namespace ReportComandi
