#include "editing/ui/ScannedLookup.h"

#include "core/Articoli.h"
#include "core/Contesto.h"
#include "core/ui/FormBase.h"
#include "editing/ui/AggiungiMateriale.h"

#include <QLineEdit>
#include <QPointer>

Letto<QString> CodiceDaBarCode(const QString& barCode)
{
    // The first article listed (not deleted) with this main barcode; an extra barcode
    // (BarCodeUlteriori) does not open its article here.
    QString codice;
    const Esito e = Articoli::perOgni(
        [&codice](const Articolo& a) {
            codice = QString::number(a.codMateriale);
            return false;
        },
        QStringLiteral("BarCode = ? AND Eliminato = 0"), {barCode});
    if (!e) {
        ScriviErrore(QStringLiteral("Magazzino"), QStringLiteral("IntercettaBarCode"), e);
        return Letto<QString>::fallito(e.descrizione);
    }
    return codice.isEmpty() ? Letto<QString>::assente() : Letto<QString>::trovato(codice);
}

void IntercettaBarCode(const QString& barCode, ArchivioCallbacks& cb)
{
    const Letto<QString> letto = CodiceDaBarCode(barCode);
    if (!letto.ok) {
        Contesto::interazione().notice(QStringLiteral("ATTENZIONE! Lettura del PLU non riuscita"));
        return;
    }
    const QString codice = letto.valore.value_or(QString());
    if (codice.isEmpty()) {
        Contesto::interazione().notice(QStringLiteral("ATTENZIONE! Prodotto Non Registrato o Lettura Imperfetta!"));
        return;
    }
    QPointer<AggiungiMateriale> ed = Forms::carica<AggiungiMateriale>(cb);
    if (!ed)
        return;
    const AggiungiMateriale::Preparazione p = ed->PreparaPerModificaDaRecordset(codice);
    if (!ed)
        return;
    if (p != AggiungiMateriale::Preparazione::Pronta) {
        ed->unload();
        if (p == AggiungiMateriale::Preparazione::Assente)
            Contesto::interazione().notice(QStringLiteral("ATTENZIONE! Prodotto Non Registrato o Lettura Imperfetta!"));
        return;
    }
    ed->showModal();
}

int txtRicBarCode_KeyPress(QLineEdit* box, int keyAscii, ArchivioCallbacks& cb)
{
    if (keyAscii != 13 && keyAscii != 27)
        return keyAscii;
    QPointer<QLineEdit> b(box);
    IntercettaBarCode(box->text(), cb);
    if (b) {
        b->clear();
        if (b->isVisible() && b->isEnabled())
            b->setFocus();
    }
    return keyAscii;
}
