#pragma once
// Setup.ini [Etichetta]: the shop name on the labels and what the barcode element shows.
#include <QString>

namespace Config {

struct Etichetta
{
    QString nomeAttivita;        // "MiaAttività" when missing or empty
    bool convertiInEAN8 = false; // ConvertiCodFornitoreInEAN8: the supplier code as an EAN symbol
    bool mostraBarcode = false;  // VediBARCODE: the article's barcode as an EAN symbol

    // Reads the section; SelezioneStandard, ConvertiCodFornitoreInEAN8 and VediBARCODE are written
    // as "Falso" when missing or empty (the shop name is never written).
    static Etichetta leggi();

    // NomeAttivita alone, without writing anything: "MiaAttività" when missing or empty.
    static QString nomeAttivitaSalvato();
    [[nodiscard]] static bool scriviNomeAttivita(const QString& nome);

    // SelezioneStandard as the label count reads it: "Vero" is written when it is missing or empty.
    // True when the value in capitals is "VERO".
    static bool selezioneStandard();
};

} // namespace Config
