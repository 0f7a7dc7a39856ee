#pragma once
// [Distributore] Nome: the dealer named in the status bar.
#include <QString>

namespace Config {

struct Distributore
{
    QString nome; // as stored; "?" when missing (shown so)
    static Distributore leggi();
};

} // namespace Config
