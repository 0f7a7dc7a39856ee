#pragma once
// The small sections: [Acquisizione], [InterfacciaUtente], [STdiSISTEMA], [Config], [Promozioni].
#include <QString>

namespace Config {

// [Acquisizione] Metodo: 2 the full dump, anything else (or missing) 1, article by article.
struct Acquisizione
{
    int metodo = 1;
    static Acquisizione leggi();
    [[nodiscard]] static bool scrivi(int metodo);
};

// [InterfacciaUtente]: the windows' colour (decimal text, "?" when missing) and background picture.
struct InterfacciaUtente
{
    QString colore;    // as stored; "?" when missing
    QString imgSfondo; // empty when missing
    static InterfacciaUtente leggi();
    [[nodiscard]] bool scrivi() const;
};

// [STdiSISTEMA]: the printers chosen for A4 jobs and for shelf labels; empty when missing.
struct STdiSISTEMA
{
    QString predefinita;
    QString xFrontalini;
    static STdiSISTEMA leggi();
    // `chiave` "Predefinita" or "xFrontalini".
    [[nodiscard]] static bool scrivi(const QString& chiave, const QString& stampante);
};

// [Config]: the editor's and the search's switches (written "Falso" when missing).
struct Generale
{
    static bool flag(const QString& chiave); // e.g. "SalvaRepartoComeCODICE"
    // VerificaCodiceFornitore: only "VERO" (any case) asks for the supplier code; anything else,
    // like the "Falso" written when missing, does not.
    static bool verificaCodiceFornitore();
    static bool salvaRepartoComeCodice(); // SalvaRepartoComeCODICE
    static bool tastieraVisibile();       // TastieraVisibile: true unless "Falso" (not written back)
};

// [Promozioni] AvvisoAttivo (missing or empty: written "Falso").
struct Promozioni
{
    static bool avvisoAttivo();
};

} // namespace Config
