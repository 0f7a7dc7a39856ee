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

} // namespace

void cmdStampaMagazzino_Click(Interaction& ia, QWidget* parent, const QList<Articoli::ArticoloElencato>& articoli,
                              const QString& valore, bool soloQtaZero, ProgressSink& progresso)
{
    if (esportare(ia)) {
        Clessidra c;
        ExportExcel::EsportaMagazzinoExcel(ia, soloQtaZero, progresso);
        return;
    }
    if (!stampanti(ia))
        return;
    Clessidra c;
    if (!ReportTables::ValorizzaTabReportMagazzino(articoli, false)) {
        c.fine();
        ia.error(kPreparazioneFallita);
        return;
    }
    const auto righe = ReportTables::righeMagazzino();
    c.fine();
    if (!righe.ok) {
        ScriviErrore(QStringLiteral("ReportMagazzino"), QStringLiteral("DataReport_Initialize"), VbErr::DatabaseError,
                     righe.errore);
        ia.error(kPreparazioneFallita);
        return;
    }
    ReportPreview::mostra(Reports::ReportMagazzino(*righe.valore, valore, QDate::currentDate()), parent);
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
    Clessidra c;
    const Letto<ReportTables::Righe> righe = ReportTables::righeVenduto(dal, al);
    c.fine();
    if (!righe.ok) {
        ScriviErrore(QStringLiteral("rptPLU"), QStringLiteral("DataReport_Initialize"), VbErr::DatabaseError,
                     righe.errore);
        ia.error(kPreparazioneFallita);
        return;
    }
    ReportPreview::mostra(Reports::rptPLU(*righe.valore, dal, al), parent);
}

void cmdStampaElencoOfferte_Click(Interaction& ia, QWidget* parent, const QList<Articoli::Offerta>& offerte)
{
    if (!stampanti(ia))
        return;
    if (offerte.isEmpty()) {
        ia.info(QStringLiteral("Nessun prodotto da stampare!!!"));
        return;
    }
    Clessidra c;
    if (!ReportTables::ValorizzaTabellaDiStampa(offerte)) {
        c.fine();
        ia.error(kPreparazioneFallita);
        return;
    }
    const auto righe = ReportTables::righeOfferte();
    c.fine();
    if (!righe.ok) {
        ScriviErrore(QStringLiteral("rptOfferte"), QStringLiteral("DataReport_Initialize"), VbErr::DatabaseError,
                     righe.errore);
        ia.error(kPreparazioneFallita);
        return;
    }
    ReportPreview::mostra(Reports::rptOfferte(*righe.valore, QDate::currentDate()), parent);
}

} // namespace ReportComandi
