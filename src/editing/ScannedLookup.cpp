#include "editing/ScannedLookup.h"

#include "core/Database.h"
#include "core/ui/FormBase.h"
#include "core/ui/frmInfo.h"
#include "editing/AggiungiMateriale.h"

#include <QLineEdit>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>

QString CodiceDaBarCode(const QString& barCode)
{
    QSqlQuery q = Db::query(
        QStringLiteral("SELECT CodMateriale FROM Magazzino WHERE BarCode = ? AND Eliminato = 0 ORDER BY rowid LIMIT 1"),
        {barCode});
    if (!q.isActive())
        ScriviErrore(QStringLiteral("Magazzino"), QStringLiteral("IntercettaBarCode"), VbErr::DatabaseError,
                     q.lastError().text());
    // Only the main barcode: an extra barcode (BarCodeUlteriori) does not open its article here.
    return q.next() ? q.value(0).toString() : QString();
}

void IntercettaBarCode(const QString& barCode, const ArchivioCallbacks& cb)
{
    const QString codice = CodiceDaBarCode(barCode);
    if (codice.isEmpty()) {
        frmInfo::mostra(QStringLiteral("ATTENZIONE! Prodotto Non Registrato o Lettura Imperfetta!"));
        return;
    }
    AggiungiMateriale& ed = Forms::get<AggiungiMateriale>();
    ed.setCallbacks(cb);
    if (!ed.PreparaPerModificaDaRecordset(codice)) {
        ed.unload();
        frmInfo::mostra(QStringLiteral("ATTENZIONE! Prodotto Non Registrato o Lettura Imperfetta!"));
        return;
    }
    ed.showModal();
}

int txtRicBarCode_KeyPress(QLineEdit* box, int keyAscii, const ArchivioCallbacks& cb)
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

QString DescrizioneDaCodice(const QString& codice)
{
    bool ok = false;
    const qint64 n = codice.trimmed().toLongLong(&ok);
    if (!ok)
        return QStringLiteral("NON TROVATO");
    QSqlQuery q = Db::query(QStringLiteral("SELECT Descrizione FROM Magazzino WHERE CodMateriale = ?"), {n});
    if (!q.next() || q.value(0).isNull())
        return QStringLiteral("NON TROVATO");
    return q.value(0).toString();
}
