#include "archive/ui/DataBackup.h"

#include "archive/ui/Clessidra.h"
#include "core/AppState.h"
#include "core/Contesto.h"
#include "core/Database.h"
#include "core/ui/Ui.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace DataBackup {

namespace {

const QString kModulo = QStringLiteral("Magazzino");
const QString kNessunaCartella = QStringLiteral("Nessuna cartella selezionata!!!");

} // namespace

QString SceltaPerc(QWidget*, const QString& title)
{
    const QString picked = Contesto::interazione().chooseFolder(title, {});
    if (picked.isEmpty())
        return {};
    const QFileInfo fi(picked);
    return fi.isDir() ? QDir::cleanPath(fi.absoluteFilePath()) : QDir::cleanPath(picked);
}

void eseguiSalvataggio(QWidget* parent, const Disco& disco)
{
    app().drvBck = SceltaPerc(parent, QStringLiteral("Seleziona la cartella dove salvare i DATI"));
    if (app().drvBck.isEmpty()) {
        Contesto::interazione().notice(kNessunaCartella);
        return;
    }
    EsitoSalvataggio r;
    {
        Clessidra c;
        r = salvaDati(app().drvBck, QDateTime::currentDateTime(), disco);
    }
    for (const QString& rimasta : r.incompleteRimaste)
        ScriviErrore(kModulo, QStringLiteral("cmdSalva_Click"), VbErr::PermissionDenied,
                     QStringLiteral("copia incompleta non eliminata: ") + rimasta);
    if (r.spazioInsufficiente) {
        Msg::box(QStringLiteral("Spazio NON sufficiente\r\n\r\nLiberare spazio sul disco e ritentare l'operazione"));
        return;
    }
    if (!r.esito) {
        ScriviErrore(kModulo, QStringLiteral("cmdSalva_Click"), r.esito);
        // The library's own words stay in the log; a reason the user can act on is said in Italian.
        const QString motivo = Db::motivoPerUtente(r.esito);
        QString testo = QStringLiteral("ATTENZIONE!!! Salvataggio dei DATI NON riuscito\r\n\r\n") +
                        (motivo.isEmpty() ? r.esito.descrizione : motivo);
        if (!r.incompleta.isEmpty())
            testo += QStringLiteral("\r\n\r\nLa copia incompleta è rimasta in %1: non usarla per ripristinare i "
                                    "dati ed eliminarla")
                         .arg(QDir::toNativeSeparators(r.incompleta));
        Msg::box(testo, QMessageBox::Ok, QMessageBox::Critical);
    }
}

bool scegliECambiaDatabase(QWidget* parent)
{
    if (Msg::box(QStringLiteral("ATTENZIONE!!! La funzione selezionata consente di sostituire l'archivio dei PLU"
                                "\r\n\r\nSicuri di procedere?\r\n\r\nN.B.:- Se non è stato eseguito il backup (Tasto "
                                "SALVA DATI) l'operazione è irreversibile"),
                 QMessageBox::Yes | QMessageBox::No, QMessageBox::NoIcon, QMessageBox::No) != QMessageBox::Yes)
        return false;
    app().drvBck = SceltaPerc(parent, QStringLiteral("Seleziona la cartella da dove caricare i DATI"));
    if (app().drvBck.isEmpty()) {
        Contesto::interazione().notice(kNessunaCartella);
        return false;
    }
    // An unfinished backup may hold half a database that opens all the same.
    if (inCopiaIncompleta(app().drvBck)) {
        Msg::box(QStringLiteral("Percorso non Valido\r\n\r\nLa cartella scelta è una copia dei DATI incompleta"));
        return false;
    }
    const QString file = trovaDatabase(app().drvBck);
    if (file.isEmpty()) {
        Msg::box(QStringLiteral("Percorso non Valido"));
        return false;
    }
    EsitoCambio e;
    {
        Clessidra c;
        e = cambiaDatabase(file);
    }
    if (!e.esito) {
        ScriviErrore(kModulo, QStringLiteral("cmdCambiaDb_Click"), e.esito);
        if (!e.riapertura) {
            // The program has no database now: working on would lose what the user types.
            ScriviErrore(kModulo, QStringLiteral("cmdCambiaDb_Click"), e.riapertura);
            Msg::box(QStringLiteral("ATTENZIONE!!! Il file selezionato non è un archivio dei PLU valido\r\n\r\n"
                                    "Non è stato possibile riaprire l'archivio attuale: chiudere il programma e "
                                    "riavviarlo"),
                     QMessageBox::Ok, QMessageBox::Critical);
            return false;
        }
        Msg::box(QStringLiteral("ATTENZIONE!!! Il file selezionato non è un archivio dei PLU valido\r\n\r\n"
                                "Si continua ad usare l'archivio attuale"),
                 QMessageBox::Ok, QMessageBox::Warning);
        return false;
    }
    return true;
}

} // namespace DataBackup
