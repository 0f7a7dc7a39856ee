#include "core/Settings.h"

#include "core/ErrorLog.h"
#include "core/IniFile.h"
#include "core/VbConvert.h"

#include <QFile>

namespace {

QString orDefault(const QString& v, const QString& def) { return v == QLatin1String("?") ? def : v; }

void readLine(const QString& setup, const QString& section, LineSettings& l)
{
    const LineSettings d;
    l.velocita = orDefault(LeggiINI(setup, section, QStringLiteral("VelocitaCOM"), QStringLiteral("?")), d.velocita);
    l.bitDati = orDefault(LeggiINI(setup, section, QStringLiteral("BitDatiCOM"), QStringLiteral("?")), d.bitDati);
    l.parita = orDefault(LeggiINI(setup, section, QStringLiteral("ParitaDatiCOM"), QStringLiteral("?")), d.parita);
    l.bitStop = orDefault(LeggiINI(setup, section, QStringLiteral("BitStopDatiCOM"), QStringLiteral("?")), d.bitStop);
    l.flusso = orDefault(LeggiINI(setup, section, QStringLiteral("FlussoDatiCOM"), QStringLiteral("?")), d.flusso);
}

} // namespace

void LeggiPortaBarCode(const QString& setup)
{
    auto& b = app().impostazioniBarCode;
    const QString sec = QStringLiteral("BarCode");
    b.portaCOM = orDefault(LeggiINI(setup, sec, QStringLiteral("PortaCOM"), QStringLiteral("?")), QString());
    readLine(setup, sec, b.linea);
}

void LeggiPortaRegCassa(const QString& setup)
{
    auto& r = app().impostazioniRegCassa;
    const QString sec = QStringLiteral("RegCassa");
    r.portaCOM = orDefault(LeggiINI(setup, sec, QStringLiteral("PortaCOM"), QStringLiteral("?")), QString());
    r.portaCOM1 = orDefault(LeggiINI(setup, sec, QStringLiteral("PortaCOM1"), QStringLiteral("?")), QString());
    r.portaCOM2 = orDefault(LeggiINI(setup, sec, QStringLiteral("PortaCOM2"), QStringLiteral("?")), QString());
    readLine(setup, sec, r.linea);
}

void LeggiImpostazioni()
{
    AppState& s = app();
    const QString setup = s.percorsoSetup;
    if (!QFile::exists(setup))
        return;
    s.metodoAcquisizione =
        LeggiINI(setup, QStringLiteral("Acquisizione"), QStringLiteral("Metodo"), QStringLiteral("?")) == QLatin1String("2")
            ? 2
            : 1;
    LeggiPortaBarCode(setup);
    LeggiPortaRegCassa(setup);
    const QString colore = LeggiINI(setup, QStringLiteral("InterfacciaUtente"), QStringLiteral("Colore"), QStringLiteral("?"));
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
    s.tabCollegate = !iniIsFalso(LeggiINI(setup, QStringLiteral("TabCollegate"), QStringLiteral("Gestione"), QStringLiteral("?")));
    const QString eth = LeggiINI(setup, QStringLiteral("RegCassa"), QStringLiteral("PortaETH1"), QStringLiteral("?"));
    s.portaETH1 = (eth == QLatin1String("?")) ? QString() : eth;
}

void LeggiTastieraVisibile()
{
    const QString v = LeggiINI(app().percorsoSetup, QStringLiteral("Config"), QStringLiteral("TastieraVisibile"), QStringLiteral("?"));
    app().tastieraVisibile = !iniIsFalso(v);
}

void ImpostaTestiStato(int mode)
{
    if (mode != 1)
        return;
    QString nome = LeggiINI(app().percorsoSetup, QStringLiteral("Distributore"), QStringLiteral("Nome"), QStringLiteral("?"));
    nome = nome.left(42).leftJustified(42, QLatin1Char(' '));
    app().testoStato = QStringLiteral("Distribuito da: ") + nome + QString(178, QLatin1Char(' ')) +
                       QStringLiteral("Tavrino v. %1.%2.%3").arg(versionMajor()).arg(versionMinor()).arg(versionRevision());
}

EsitoData ControllaDataDiSistema(const QDate& today)
{
    const QString setup = app().percorsoSetup;
    const QString stored = LeggiINI(setup, QStringLiteral("DataSistema"), QStringLiteral("Data"), QStringLiteral("?"));
    if (stored != QLatin1String("?")) {
        const QDate d = Vb::parseDate(stored);
        if (!d.isValid()) {
            ScriviErrore(QStringLiteral("Modulo_FUNZIONI"), QStringLiteral("ControllaDataDiSistema"), VbErr::TypeMismatch,
                         stored);
            return EsitoData::Illeggibile;
        }
        if (d > today)
            return EsitoData::DataPosteriore;
    }
    return ScriviINI(setup, QStringLiteral("DataSistema"), QStringLiteral("Data"), Vb::formatDate(today))
               ? EsitoData::Scritta
               : EsitoData::ScritturaFallita;
}

bool SalvaDataDiSistema(const QDate& d)
{
    return ScriviINI(app().percorsoSetup, QStringLiteral("DataSistema"), QStringLiteral("Data"), Vb::formatDate(d));
}

bool LeggiFlagPiruNEX()
{
    const QString setup = app().percorsoSetup;
    const QString v = LeggiINI(setup, QStringLiteral("RegCassa"), QStringLiteral("PiruNEX"), QStringLiteral("?"));
    if (v == QLatin1String("?") || v.isEmpty()) {
        ScriviINI(setup, QStringLiteral("RegCassa"), QStringLiteral("PiruNEX"), QStringLiteral("Falso"));
        return false;
    }
    return !iniIsFalso(v);
}
