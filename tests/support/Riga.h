#pragma once
// One row of a data-driven test with its values converted to the columns' types:
//     const Riga<QString, int> riga;
//     riga("case", "text", 3);
#include <QtTest>

template <typename... Colonne> struct Riga
{
    void operator()(const char* caso, const Colonne&... valori) const
    {
        QTestData& r = QTest::newRow(caso);
        ((r << valori), ...);
    }
};
