#pragma once
// The register's error numbers 1-89 with the operator's message and the action class that the
// command-file sender takes.
#include <QString>

namespace RegLink {

// The action class of an error; its value is the class number the protocol log writes.
enum class AzioneErrore {
    Prosegui = 0,      // go on with the next line
    Ripeti = 1,        // record it, then send the command again after a new handshake
    Ignora = 2,        // record it and skip the command
    MostraERinvia = 4, // record it, show the message, resend at once without a handshake
    ErroreGrave = 9,   // device error: record it, tell the user and stop the program
};

// "0", "1", "2", "4" or "9".
QString testoAzione(AzioneErrore a);

struct ErroreCassa
{
    int numero;
    const char* messaggio; // UTF-8
    AzioneErrore azione;
};

constexpr int kNumeroErroriCassa = 89;
// The row of `numero`, or nullptr outside 1-89.
const ErroreCassa* TabellaErroriCassa(int numero);

// `numero` holds the reply's error field (hexadecimal) on entry and its decimal text on return;
// `descrizione` gets the message, empty without a row. Returns the action class (Prosegui without
// a row). A field that is not hexadecimal gives "" in `numero`, an empty message and Prosegui.
AzioneErrore DescrizioneErrore(QString& numero, QString& descrizione);

} // namespace RegLink
