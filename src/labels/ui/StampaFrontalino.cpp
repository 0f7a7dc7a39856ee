#include "labels/ui/StampaFrontalino.h"

#include "core/AppState.h"
#include "core/Wait.h"
#include "core/config/STdiSISTEMA.h"
#include "core/ui/FormBase.h"
#include "core/ui/Printers.h"
#include "core/ui/frmChangeST.h"

#include <QPointer>

namespace StampaFrontalino {
namespace {

const QString kRiassegnare = QStringLiteral("RiAssegnare la stampante A4 predefinita");

QString nonInstallata(const QString& nome)
{
    return QStringLiteral("La stampante \"%1\" non è installata").arg(nome);
}

// Makes `nome` the system's and the program's printer; 0 or the error code.
int assegna(const QString& nome)
{
    const int codice = Printers::setSystemDefault(nome);
    if (codice == 0 && Printers::current() != nome)
        ImpostaPrinter(nome);
    return codice;
}

QString oraPredefinita(const QString& nome)
{
    return QStringLiteral("Ora la stampante predefinita è \"%1\"").arg(nome);
}

// Puts the default printer back: the one in [STdiSISTEMA] Predefinita, else the one the system
// had before the switch. When Predefinita cannot be put back, the user is told why and which
// printer is the default now, so that the next report does not go to the label sheets unawares.
void ripristina(Interaction& interazione, const QString& precedente, const QString& etichette)
{
    const QString predefinita = Config::STdiSISTEMA::leggi().predefinita;
    QString fallita;
    if (!predefinita.isEmpty()) {
        const int codice = assegna(predefinita);
        if (codice == 0)
            return;
        fallita = QStringLiteral("Impostazione della Stampante Fallita. Codice di Errore: ") + QString::number(codice);
        if (!Printers::installed().contains(predefinita))
            fallita += QStringLiteral("\nLa stampante A4 predefinita \"%1\" non è installata").arg(predefinita);
    }
    const bool rimettibile =
        !precedente.isEmpty() && precedente != etichette && Printers::installed().contains(precedente);
    if (rimettibile && assegna(precedente) == 0) {
        if (!fallita.isEmpty())
            interazione.ask(fallita + QLatin1Char('\n') + oraPredefinita(precedente), Interaction::Ok,
                            Interaction::Icon::Warning);
        return;
    }
    if (fallita.isEmpty()) {
        interazione.ask(kRiassegnare, Interaction::Ok);
        return;
    }
    QString testo = fallita + QLatin1Char('\n') + kRiassegnare;
    if (const QString ora = Printers::systemDefault(); !ora.isEmpty())
        testo += QLatin1Char('\n') + oraPredefinita(ora);
    interazione.ask(testo, Interaction::Ok, Interaction::Icon::Warning);
}

} // namespace

bool cmdStampaFrontalino_Click(Interaction& interazione, ScegliFont& font, SceltaArticoli scelta,
                               std::optional<Articoli::ArticoloElencato> riga)
{
    const QString etichette = Config::STdiSISTEMA::leggi().xFrontalini;
    if (etichette.isEmpty() || !Printers::installed().contains(etichette)) {
        QString testo = QStringLiteral("Prima di proseguire definire la stampante per i Frontalini");
        if (!etichette.isEmpty())
            testo += QLatin1Char('\n') + nonInstallata(etichette);
        interazione.ask(testo, Interaction::Ok);
        return false;
    }
    const QString precedente = Printers::systemDefault();
    // A switch that failed has said so and changed nothing: the designer does not open.
    if (!frmChangeST::EseguiAssegnazioneST(etichette, QStringLiteral("xFrontalini")))
        return false;
    Attesa(500, InputUtente::Trattenuto);
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
