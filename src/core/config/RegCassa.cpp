#include "core/config/RegCassa.h"

#include "core/IniFile.h"
#include "core/config/Flag.h"

namespace Config {

namespace {
const QString kRegCassa = QStringLiteral("RegCassa");

QString oPredefinito(const QString& sezione, const char* chiave, const QString& predefinito)
{
    const QString v = LeggiINI(app().percorsoSetup, sezione, QString::fromLatin1(chiave), QStringLiteral("?"));
    return v == QLatin1String("?") ? predefinito : v;
}
} // namespace

LineSettings leggiLinea(const QString& sezione)
{
    const LineSettings d;
    LineSettings l;
    l.velocita = oPredefinito(sezione, "VelocitaCOM", d.velocita);
    l.bitDati = oPredefinito(sezione, "BitDatiCOM", d.bitDati);
    l.parita = oPredefinito(sezione, "ParitaDatiCOM", d.parita);
    l.bitStop = oPredefinito(sezione, "BitStopDatiCOM", d.bitStop);
    l.flusso = oPredefinito(sezione, "FlussoDatiCOM", d.flusso);
    return l;
}

RegCassa RegCassa::leggi()
{
    RegCassa r;
    r.porte.portaCOM = leggiTesto(kRegCassa, QStringLiteral("PortaCOM"));
    r.porte.portaCOM1 = leggiTesto(kRegCassa, QStringLiteral("PortaCOM1"));
    r.porte.portaCOM2 = leggiTesto(kRegCassa, QStringLiteral("PortaCOM2"));
    r.porte.linea = leggiLinea(kRegCassa);
    r.portaETH1 = leggiTesto(kRegCassa, QStringLiteral("PortaETH1"));
    r.modello = LeggiINI(app().percorsoSetup, kRegCassa, QStringLiteral("Modello"), QStringLiteral("?"));
    r.piruNEXImpostato = !iniIsFalso(leggiTesto(kRegCassa, QStringLiteral("PiruNEX"))) &&
                         !leggiTesto(kRegCassa, QStringLiteral("PiruNEX")).isEmpty();
    return r;
}

bool RegCassa::scrivi() const
{
    const QString setup = app().percorsoSetup;
    const std::pair<const char*, QString> chiavi[] = {
        {"PortaCOM", porte.portaCOM},
        {"PortaCOM1", porte.portaCOM1},
        {"PortaCOM2", porte.portaCOM2},
        {"VelocitaCOM", porte.linea.velocita},
        {"BitDatiCOM", porte.linea.bitDati},
        {"ParitaDatiCOM", porte.linea.parita},
        {"BitStopDatiCOM", porte.linea.bitStop},
        {"FlussoDatiCOM", porte.linea.flusso},
        {"Modello", modello},
        {"PortaETH1", portaETH1.isEmpty() ? QStringLiteral("?") : portaETH1},
    };
    for (const auto& [chiave, valore] : chiavi)
        if (!ScriviINI(setup, kRegCassa, QString::fromLatin1(chiave), valore))
            return false;
    return true;
}

bool RegCassa::piruNEX()
{
    return leggiFlag(kRegCassa, QStringLiteral("PiruNEX"), Vuoto::Mancante);
}

bool RegCassa::scriviPiruNEX(bool on)
{
    return ScriviINI(app().percorsoSetup, kRegCassa, QStringLiteral("PiruNEX"), iniBool(on));
}

} // namespace Config
