#include "core/config/Etichetta.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/config/Flag.h"

namespace Config {
namespace {

const QString kSezione = QStringLiteral("Etichetta");

QString leggi(const QString& chiave)
{
    return LeggiINI(app().percorsoSetup, kSezione, chiave, QStringLiteral("?"));
}

bool mancante(const QString& v)
{
    return v.isEmpty() || v == QLatin1String("?");
}

// A flag key: false and written "Falso" when missing; otherwise false only for "falso".
bool leggiFlag(const QString& chiave)
{
    const QString v = leggi(chiave);
    if (mancante(v)) {
        scriviPredefinito(kSezione, chiave, QStringLiteral("Falso"));
        return false;
    }
    return !iniIsFalso(v);
}

} // namespace

Etichetta Etichetta::leggi()
{
    Etichetta e;
    e.nomeAttivita = nomeAttivitaSalvato();
    if (mancante(Config::leggi(QStringLiteral("SelezioneStandard"))))
        scriviPredefinito(kSezione, QStringLiteral("SelezioneStandard"), QStringLiteral("Falso"));
    e.convertiInEAN8 = leggiFlag(QStringLiteral("ConvertiCodFornitoreInEAN8"));
    e.mostraBarcode = leggiFlag(QStringLiteral("VediBARCODE"));
    return e;
}

QString Etichetta::nomeAttivitaSalvato()
{
    const QString nome = Config::leggi(QStringLiteral("NomeAttivita"));
    return mancante(nome) ? QStringLiteral("MiaAttività") : nome;
}

bool Etichetta::scriviNomeAttivita(const QString& nome)
{
    return ScriviINI(app().percorsoSetup, kSezione, QStringLiteral("NomeAttivita"), nome);
}

bool Etichetta::selezioneStandard()
{
    QString v = Config::leggi(QStringLiteral("SelezioneStandard"));
    if (mancante(v)) {
        v = QStringLiteral("Vero");
        scriviPredefinito(kSezione, QStringLiteral("SelezioneStandard"), v);
    }
    return v.toUpper() == QLatin1String("VERO");
}

} // namespace Config
