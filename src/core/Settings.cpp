#include "core/Settings.h"

#include "core/ErrorLog.h"
#include "core/VbConvert.h"
#include "core/config/Acquisizione.h"
#include "core/config/BarCode.h"
#include "core/config/Config.h"
#include "core/config/DataSistema.h"
#include "core/config/Distributore.h"
#include "core/config/InterfacciaUtente.h"
#include "core/config/RegCassa.h"
#include "core/config/TabCollegate.h"

#include <QFile>

void LeggiPortaBarCode()
{
    app().impostazioniBarCode = Config::BarCode::leggi().porta;
}

void LeggiPortaRegCassa()
{
    app().impostazioniRegCassa = Config::RegCassa::leggi().porte;
}

void LeggiImpostazioni()
{
    AppState& s = app();
    const QString setup = s.percorsoSetup;
    if (!QFile::exists(setup))
        return;
    s.metodoAcquisizione = Config::Acquisizione::leggi().metodo;
    LeggiPortaBarCode();
    LeggiPortaRegCassa();
    const QString colore = Config::InterfacciaUtente::leggi().colore;
    if (colore == QLatin1String("?")) {
        s.coloreSfondo = kColoreButtonFace;
    } else {
        bool ok = false;
        const qint64 v = colore.trimmed().toLongLong(&ok);
        if (ok && v >= std::numeric_limits<qint32>::min() && v <= 0xFFFFFFFFLL) {
            s.coloreSfondo = v < 0 ? (v & 0xFFFFFFFFLL) : v;
        } else {
            // Not a number: logged, and the window colour falls back to the button face.
            ScriviErrore(QStringLiteral("Funzioni"), QStringLiteral("LeggiImpostazioni"), VbErr::TypeMismatch, colore);
            s.coloreSfondo = kColoreButtonFace;
        }
    }
    s.tabCollegate = Config::TabCollegate::leggi().gestione;
    s.portaETH1 = Config::RegCassa::leggi().portaETH1;
}

void LeggiTastieraVisibile()
{
    app().tastieraVisibile = Config::Generale::tastieraVisibile();
}

void ImpostaTestiStato(int mode)
{
    if (mode != 1)
        return;
    const QString nome = Config::Distributore::leggi().nome.left(42).leftJustified(42, QLatin1Char(' '));
    app().testoStato =
        QStringLiteral("Distribuito da: ") + nome + QString(178, QLatin1Char(' ')) +
        QStringLiteral("Tavrino v. %1.%2.%3").arg(versionMajor()).arg(versionMinor()).arg(versionRevision());
}

EsitoData ControllaDataDiSistema(const QDate& today)
{
    if (const std::optional<QString> stored = Config::DataSistema::leggi().data) {
        const QDate d = Vb::parseDate(*stored);
        if (!d.isValid()) {
            ScriviErrore(QStringLiteral("Modulo_FUNZIONI"), QStringLiteral("ControllaDataDiSistema"),
                         VbErr::TypeMismatch, *stored);
            return EsitoData::Illeggibile;
        }
        if (d > today)
            return EsitoData::DataPosteriore;
    }
    return Config::DataSistema::scrivi(today) ? EsitoData::Scritta : EsitoData::ScritturaFallita;
}

bool LeggiFlagPiruNEX()
{
    return Config::RegCassa::piruNEX();
}
