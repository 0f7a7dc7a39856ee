#pragma once
// [Config]: the editor's and the search's switches (written "Falso" when missing).
#include <QString>

namespace Config {

struct Generale
{
    static bool flag(const QString& chiave); // e.g. "SalvaRepartoComeCODICE"
    // VerificaCodiceFornitore: only "VERO" (any case) asks for the supplier code; anything else,
    // like the "Falso" written when missing, does not.
    static bool verificaCodiceFornitore();
    static bool salvaRepartoComeCodice(); // SalvaRepartoComeCODICE
    static bool tastieraVisibile();       // TastieraVisibile: true unless "Falso" (not written back)
};

} // namespace Config
