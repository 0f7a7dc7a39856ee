#include "core/config/Generali.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/config/Flag.h"

namespace Config {

namespace {
QString setup()
{
    return app().percorsoSetup;
}
} // namespace

Acquisizione Acquisizione::leggi()
{
    const QString v = LeggiINI(setup(), QStringLiteral("Acquisizione"), QStringLiteral("Metodo"), QStringLiteral("?"));
    return Acquisizione{v == QLatin1String("2") ? 2 : 1};
}

bool Acquisizione::scrivi(int metodo)
{
    return ScriviINI(setup(), QStringLiteral("Acquisizione"), QStringLiteral("Metodo"), QString::number(metodo));
}

InterfacciaUtente InterfacciaUtente::leggi()
{
    const QString sezione = QStringLiteral("InterfacciaUtente");
    return InterfacciaUtente{LeggiINI(setup(), sezione, QStringLiteral("Colore"), QStringLiteral("?")),
                             leggiTesto(sezione, QStringLiteral("ImgSfondo"))};
}

bool InterfacciaUtente::scrivi() const
{
    const QString sezione = QStringLiteral("InterfacciaUtente");
    return ScriviINI(setup(), sezione, QStringLiteral("Colore"), colore) &&
           ScriviINI(setup(), sezione, QStringLiteral("ImgSfondo"),
                     imgSfondo.isEmpty() ? QStringLiteral("?") : imgSfondo);
}

STdiSISTEMA STdiSISTEMA::leggi()
{
    const QString sezione = QStringLiteral("STdiSISTEMA");
    return STdiSISTEMA{leggiTesto(sezione, QStringLiteral("Predefinita")),
                       leggiTesto(sezione, QStringLiteral("xFrontalini"))};
}

bool STdiSISTEMA::scrivi(const QString& chiave, const QString& stampante)
{
    return ScriviINI(setup(), QStringLiteral("STdiSISTEMA"), chiave, stampante);
}

bool Generale::flag(const QString& chiave)
{
    return leggiFlag(QStringLiteral("Config"), chiave);
}

bool Generale::verificaCodiceFornitore()
{
    const QString chiave = QStringLiteral("VerificaCodiceFornitore");
    QString v = LeggiINI(setup(), QStringLiteral("Config"), chiave, QStringLiteral("?"));
    if (v == QLatin1String("?")) {
        scriviPredefinito(QStringLiteral("Config"), chiave, iniBool(false));
        return false;
    }
    return v.toUpper() == QLatin1String("VERO");
}

bool Generale::salvaRepartoComeCodice()
{
    return flag(QStringLiteral("SalvaRepartoComeCODICE"));
}

bool Generale::tastieraVisibile()
{
    return !iniIsFalso(
        LeggiINI(setup(), QStringLiteral("Config"), QStringLiteral("TastieraVisibile"), QStringLiteral("?")));
}

bool Promozioni::avvisoAttivo()
{
    return leggiFlag(QStringLiteral("Promozioni"), QStringLiteral("AvvisoAttivo"), Vuoto::Mancante);
}

} // namespace Config
