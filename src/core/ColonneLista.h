#pragma once
// The article list's columns by position: the list's own layout. The reports and the label
// designer read the rows' records instead, never these cells.

namespace ColonneLista {

constexpr int kColonne = 18;

enum Colonna {
    colCod = 0,
    colDescrizione = 1,
    colReparto = 2,
    colQta = 3,
    colMin = 4,
    colUM = 5,
    colPrezzoV = 6,
    colFornitore = 7,
    colTaglia = 8,
    colColore = 9,
    colTipoMateriale = 10,
    colBarCode = 11,
    colAggiornato = 12,
    colPrezzoA = 13,
    colCodForn = 14,
    colIva = 15,
    colPesoConf = 16,
    colRicarico = 17,
};

} // namespace ColonneLista
