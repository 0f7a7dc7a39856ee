#pragma once
// The stored shelf-label layout (table FormatoEtichetta, one row): labels across and down a sheet,
// where each element lies inside a label and which font each text element uses.
#include "core/AppState.h"
#include "core/ErrorLog.h"

#include <QPoint>
#include <QString>
#include <array>

// The text elements of a label by their index in the designer.
enum ElementoEti : int {
    eliPrezzoKg = 0,    // price per kilogram or litre
    eliDescrizione = 1, // description
    eliPrezzo = 2,      // price
    eliAttivita = 3,    // shop name
    eliBarcode = 4,     // barcode or supplier code
};
constexpr int kElementiTesto = 5;

struct FontEtichetta
{
    QString nome = QStringLiteral("Arial");
    double dimensione = 8.25; // points
    bool grassetto = false;
    bool corsivo = false;
    bool sottolineato = false;
    bool barrato = false; // not stored
    VbColor colore = 0;   // &HBBGGRR, or a system colour with the high bit set

    bool operator==(const FontEtichetta&) const = default;
};

struct FormatoEtichetta
{
    int numCol = 3; // as stored: 0 stands for 3
    int numRow = 8; // 0 stands for 8
    // Left (x) and top (y) in twips of each text element inside the label.
    std::array<QPoint, kElementiTesto> posizione{};
    QPoint posizioneIcona{0, 0};
    std::array<FontEtichetta, kElementiTesto> font{};

    bool operator==(const FormatoEtichetta&) const = default;
};

namespace Formato {

// The designer's own places and fonts, before any stored layout is applied.
FormatoEtichetta progetto();

// Applies the first stored row onto `f`. A Null column keeps the value `f` already has, and the
// load goes on; an empty table changes nothing. A failed read is logged and returned.
Esito carica(FormatoEtichetta& f);

// Writes `f` into every row (the table's one row, added when the table is empty), in one
// transaction with bound values. Font sizes are stored rounded half to even. Logs a failure.
Esito salva(const FormatoEtichetta& f);

} // namespace Formato
