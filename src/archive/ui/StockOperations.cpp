#include "archive/ui/StockOperations.h"

#include "archive/ui/Clessidra.h"
#include "core/Contesto.h"
#include "core/Database.h"
#include "core/Wait.h"
#include "core/ui/Ui.h"

#include <QApplication>

namespace StockOperations {

namespace {

const QString kModulo = QStringLiteral("Magazzino");

} // namespace

bool applicaQuantitaPredefinita(QWidget* /*parent*/, const QString& testo)
{
    const std::optional<double> quantita = quantitaPredefinita(testo);
    if (!quantita) {
        Contesto::interazione().notice(QStringLiteral("Impostare un numero intero (max 99999)"));
        return false;
    }
    Esito e;
    {
        Clessidra c;
        e = aggiornaQuantita(*quantita);
    }
    if (!e) {
        ScriviErrore(kModulo, QStringLiteral("cmdAggiornaQta_Click"), e);
        Msg::box(Db::perUtente(e, QStringLiteral("ATTENZIONE!!! Aggiornamento delle quantità NON eseguito")),
                 QMessageBox::Ok, QMessageBox::Critical);
        return false;
    }
    AttesaSenzaInput(800);
    return true;
}

bool adeguaCodiciConConferma(QWidget* /*parent*/)
{
    if (Msg::box(QStringLiteral("ATTENZIONE - La procedura modificherà i bar code da 4 cifre in 5 generando la "
                                "quinta cifra in automatico - Continuare? "),
                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, QMessageBox::Yes) != QMessageBox::Yes)
        return false;
    EsitoAdeguamento r;
    {
        Clessidra c;
        r = adeguaCodici();
    }
    const bool cambiato = r.completati > 0;
    if (!r.esito) {
        ScriviErrore(kModulo, QStringLiteral("cmdAdeguaCodici_Click"), r.esito);
        Msg::box(Db::perUtente(r.esito, QStringLiteral("ATTENZIONE!!! Adeguamento dei bar code interrotto per un errore"
                                                       "\r\n\r\nRipetere l'operazione per completarlo")),
                 QMessageBox::Ok, QMessageBox::Critical);
        return cambiato;
    }
    if (r.candidati == 0) {
        Contesto::interazione().notice(QStringLiteral("Nessun adeguamento da eseguire"));
        return false;
    }
    Contesto::interazione().notice(QStringLiteral("Operazione effettuata"));
    return cambiato;
}

bool eliminaArticoloConConferma(QWidget* /*parent*/, const QString& codMateriale)
{
    if (codMateriale.trimmed().isEmpty()) {
        ScriviErrore(kModulo, QStringLiteral("Elimina_click"), VbErr::InvalidUseOfNull);
        return false;
    }
    const Letto<QString> descrizione = descrizioneArticolo(codMateriale);
    if (!descrizione.ok) {
        // Asking about an article that could not be read would be asking blind.
        const Esito e = Esito::fallito(VbErr::DatabaseError, descrizione.errore);
        ScriviErrore(kModulo, QStringLiteral("Elimina_click"), e);
        Msg::warn(Db::perUtente(e, QStringLiteral("ATTENZIONE! Lettura del PLU non riuscita - PLU non eliminato")));
        return false;
    }
    if (Msg::box(QStringLiteral("Sicuro di eliminare: ") + descrizione.valore.value_or(QString()) +
                     QStringLiteral(" ?"),
                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, QMessageBox::Yes) != QMessageBox::Yes)
        return false;
    const Esito e = eliminaArticolo(codMateriale);
    if (!e) {
        ScriviErrore(kModulo, QStringLiteral("Elimina_click"), e);
        if (Db::inUso(e)) // the user waited for it: say why nothing happened
            Msg::warn(Db::testoInUso());
        return false;
    }
    return true;
}

bool chiediAzzeramentoFrontalini(bool perFrontaliniSpuntato)
{
    if (perFrontaliniSpuntato)
        return false;
    if (Msg::box(QStringLiteral("Togliere il Flag di Frontalino da stampare a TUTTI i prodotti ? "),
                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, QMessageBox::No) != QMessageBox::Yes)
        return false;
    // Errors here were always skipped without a word; the log keeps a trace at least.
    const Esito e = azzeraFrontalini();
    if (!e) {
        ScriviErrore(kModulo, QStringLiteral("Command7_Click"), e);
        if (Db::inUso(e))
            Msg::warn(Db::testoInUso());
        return false;
    }
    return true;
}

} // namespace StockOperations
