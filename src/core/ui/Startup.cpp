#include "core/ui/Startup.h"
#include "core/Contesto.h"

#include "core/AppState.h"
#include "core/Database.h"
#include "core/ErrorLog.h"
#include "core/Istanza.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "core/config/DataSistema.h"
#include "core/ui/Ui.h"
#include "core/ui/frmDataSistema.h"
#include "core/ui/frmInfo.h"
#include "core/ui/frmSplash.h"

#include <QDir>
#include <QFileInfo>
#include <memory>

namespace Startup {

namespace {
using Istanza = ::Istanza::Blocco;

Istanza bloccaIstanza()
{
    return ::Istanza::blocca();
}

} // namespace

Esito controllaDataSistema()
{
    switch (ControllaDataDiSistema()) {
    case EsitoData::Scritta:
    case EsitoData::Illeggibile:
        return Esito::riuscito();
    case EsitoData::ScritturaFallita: {
        // Say which: a full disk and a read-only folder need different remedies.
        const bool pieno = discoQuasiPieno(app().percorsoSetup);
        return Esito::fallito(pieno ? VbErr::DiskFull : VbErr::PermissionDenied,
                              QStringLiteral("impossibile scrivere %1").arg(app().percorsoSetup));
    }
    case EsitoData::DataPosteriore: {
        frmDataSistema& f = Forms::get<frmDataSistema>();
        f.setDataMemorizzata(Config::DataSistema::leggi().data.value_or(QStringLiteral("?")));
        f.showModal();
        return Esito::riuscito();
    }
    }
    return Esito::riuscito();
}

bool eseguiPasso(const std::function<Esito()>& step)
{
    for (;;) {
        const Esito e = step();
        if (e)
            return true;
        Msg::box(e.descrizione, QMessageBox::Ok, QMessageBox::Critical);
        const auto answer =
            Msg::box(QStringLiteral("Errore in fase di inizializzazione."),
                     QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, QMessageBox::Critical);
        if (answer == QMessageBox::Retry)
            continue;
        return answer == QMessageBox::Ignore;
    }
}

Esito apriDatabaseNegozio()
{
    // Each refusal says in Italian what is wrong and what to do; the driver's own text goes to
    // the error log only.
    const auto rifiuto = [](VbErr e, const QString& testo) {
        Esito r = Esito::fallito(e);
        r.descrizione = testo;
        return r;
    };
    const QFileInfo dati(Paths::datiFolder());
    if (!dati.isDir())
        return rifiuto(VbErr::PathNotFound, QStringLiteral("Manca la cartella dei dati %1: l'archivio dei PLU non può "
                                                           "essere aperto.")
                                                .arg(QDir::toNativeSeparators(dati.absoluteFilePath())));
    if (!dati.isWritable())
        return rifiuto(VbErr::PermissionDenied,
                       QStringLiteral("La cartella dei dati %1 è in sola lettura: le modifiche all'archivio dei PLU "
                                      "non potrebbero essere salvate.\r\n\r\nRendere la cartella scrivibile e "
                                      "premere Riprova.")
                           .arg(QDir::toNativeSeparators(dati.absoluteFilePath())));
    const QFileInfo file(Paths::databasePath());
    if (file.exists() && file.isFile() && !file.isWritable())
        return rifiuto(VbErr::PermissionDenied,
                       QStringLiteral("L'archivio dei PLU %1 è in sola lettura: le modifiche non potrebbero essere "
                                      "salvate.\r\n\r\nRendere il file scrivibile e premere Riprova.")
                           .arg(QDir::toNativeSeparators(file.absoluteFilePath())));
    const Esito e = Db::ApriDatabase(Paths::databasePath());
    if (e)
        return e;
    ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("ApriDatabase"), e);
    const QString nome = QDir::toNativeSeparators(file.absoluteFilePath());
    if (e.numero == int(VbErr::NotADatabase))
        return rifiuto(VbErr::NotADatabase, QStringLiteral("Il file %1 non è un archivio dei PLU: è danneggiato oppure "
                                                           "non è un database.\r\n\r\nRipristinare una copia di "
                                                           "sicurezza della cartella Dati.")
                                                .arg(nome));
    if (Db::inUso(e))
        return rifiuto(VbErr::DatabaseInUse, QStringLiteral("L'archivio dei PLU %1 è in uso da un altro programma: "
                                                            "chiudere l'altro programma e premere Riprova.")
                                                 .arg(nome));
    if (e.numero == int(VbErr::DiskFull))
        return rifiuto(VbErr::DiskFull,
                       QStringLiteral("Disco pieno: l'archivio dei PLU %1 non può essere aperto.\r\n\r\n"
                                      "Liberare spazio sul disco e premere Riprova.")
                           .arg(nome));
    return rifiuto(
        VbErr(e.numero),
        QStringLiteral("Impossibile aprire l'archivio dei PLU %1 (il motivo è scritto nel registro degli "
                       "errori %2).")
            .arg(nome, QDir::toNativeSeparators(QDir(Paths::datiFolder()).filePath(QStringLiteral("ErrorLog.dat")))));
}

void rilasciaIstanza()
{
    ::Istanza::rilascia();
}

bool Main()
{
    app().titoloProgramma = QStringLiteral("Tavrino");
    switch (bloccaIstanza()) {
    case Istanza::Unica:
        break;
    case Istanza::GiaInUso:
        Contesto::interazione().notice(QStringLiteral("ATTENZIONE l'applicazione risulta già in uso"));
        return false;
    case Istanza::Errore: {
        // The lock cannot be made (folder missing or read-only): Retry tries the lock again.
        bool giaInUso = false;
        const bool avanti = eseguiPasso([&giaInUso] {
            switch (bloccaIstanza()) {
            case Istanza::Unica:
                return Esito::riuscito();
            case Istanza::GiaInUso:
                giaInUso = true;
                return Esito::riuscito();
            case Istanza::Errore:
                break;
            }
            // The lock is a small file: a full disk refuses it as a read-only folder does.
            if (discoQuasiPieno(Paths::programFolder()))
                return Esito::fallito(VbErr::DiskFull, QStringLiteral("impossibile scrivere nella cartella del "
                                                                      "programma %1: liberare spazio e premere Riprova")
                                                           .arg(Paths::programFolder()));
            return Esito::fallito(VbErr::PermissionDenied, QStringLiteral("la cartella del programma %1 non è "
                                                                          "scrivibile")
                                                               .arg(Paths::programFolder()));
        });
        if (!avanti)
            return false;
        if (giaInUso) {
            Contesto::interazione().notice(QStringLiteral("ATTENZIONE l'applicazione risulta già in uso"));
            return false;
        }
        break;
    }
    }
    AppState& s = app();
    s.percorsoSetup = Paths::setupPath();
    s.parolaInterscambio = QStringLiteral("QUIDAR");
    ImpostaTestiStato(1);
    LeggiTastieraVisibile();
    if (!eseguiPasso(controllaDataSistema))
        return false;
    ControllaDimensioneErrori();
    if (!eseguiPasso(apriDatabaseNegozio))
        return false;
    if (!Db::isOpen()) {
        // Ignored: an empty list must never pass for the shop's archive.
        Msg::box(QStringLiteral("L'archivio dei PLU non è stato aperto: senza di esso il programma non può "
                                "continuare e viene chiuso."),
                 QMessageBox::Ok, QMessageBox::Critical);
        return false;
    }
    LeggiImpostazioni();
    Forms::unload<frmInfo>();
    frmSplash& splash = Forms::get<frmSplash>();
    splash.showModeless();
    return true;
}

} // namespace Startup
