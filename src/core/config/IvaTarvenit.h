#pragma once
// [IVA TARVENIT]: the register's VAT code for each VAT rate ("4=1", "10=2", ...).
#include <QString>

namespace Config {

struct IvaTarvenit
{
    // The stored code of rate `iva` as text; empty when the key is missing or empty, in which case
    // "?" is written so the shop keeper finds the key to fill in.
    static QString codice(int iva);
};

} // namespace Config
