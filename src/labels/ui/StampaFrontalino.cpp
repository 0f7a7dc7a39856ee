#include "labels/ui/StampaFrontalino.h"

#include "core/AppState.h"
#include "core/Wait.h"
#include "core/config/Generali.h"
#include "core/ui/FormBase.h"
#include "core/ui/Printers.h"
#include "core/ui/frmChangeST.h"

#include <QPointer>

namespace StampaFrontalino {
namespace {

// Puts the default printer back: the one in [STdiSISTEMA] Predefinita, else the one the system
// had before the switch; with neither the user is asked to assign it.
void ripristina(Interaction& interazione, const QString& precedente, const QString& etichette)
{
    const QString predefinita = Config::STdiSISTEMA::leggi().predefinita;
    if (!predefinita.isEmpty()) {
        frmChangeST::EseguiAssegnazioneST(predefinita, QStringLiteral("Predefinita"));
        return;
    }
    if (!precedente.isEmpty() && precedente != etichette && Printers::installed().contains(precedente)) {
        frmChangeST::EseguiAssegnazioneST(precedente, QStringLiteral("Predefinita"));
        return;
    }
    interazione.ask(QStringLiteral("RiAssegnare la stampante A4 predefinita"), Interaction::Ok);
}

} // namespace

bool cmdStampaFrontalino_Click(Interaction& interazione, ScegliFont& font, SceltaArticoli scelta,
                               std::optional<RigaArticolo> riga)
{
    const QString etichette = Config::STdiSISTEMA::leggi().xFrontalini;
    if (etichette.isEmpty() || !Printers::installed().contains(etichette)) {
        interazione.ask(QStringLiteral("Prima di proseguire definire la stampante per i Frontalini"), Interaction::Ok);
        return false;
    }
    const QString precedente = Printers::systemDefault();
    // A switch that failed has said so and changed nothing: the designer does not open.
    if (!frmChangeST::EseguiAssegnazioneST(etichette, QStringLiteral("xFrontalini")))
        return false;
    Attesa(500);
    bool aperto = false;
    {
        const QString chiave = Forms::key<frmConfiguraLabel>();
        if (auto* vecchio = Forms::instance<frmConfiguraLabel>())
            vecchio->unload();
        QPointer<frmConfiguraLabel> w =
            new frmConfiguraLabel(interazione, font, scelta, std::move(riga), Forms::parentForNew());
        w->setRegistryKey(chiave);
        FormBase::registry().insert(chiave, w.data());
        w->load();
        if (w) {
            aperto = true;
            w->showModal();
        }
        if (w)
            w->unload();
    }
    ripristina(interazione, precedente, etichette);
    return aperto;
}

} // namespace StampaFrontalino
