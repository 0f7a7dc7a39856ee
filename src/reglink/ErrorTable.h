#pragma once
// The register's error numbers 1-89 with the operator's message and the action class that the
// command-file sender takes: 0 go on, 1 repeat, 2 record and skip, 4 show and resend, 9 stop.
#include <QString>

namespace RegLink {

struct ErroreCassa
{
    int numero;
    const char* messaggio; // UTF-8
    int azione;
};

constexpr int kNumeroErroriCassa = 89;
// The row of `numero`, or nullptr outside 1-89.
const ErroreCassa* TabellaErroriCassa(int numero);

// `numero` holds the reply's error field (hexadecimal) on entry and its decimal text on return;
// `descrizione` gets the message, empty without a row. Returns the action class (0 without a row).
// A field that is not hexadecimal gives "" in `numero`, an empty message and class 0.
int DescrizioneErrore(QString& numero, QString& descrizione);

} // namespace RegLink
