#pragma once
// The article window as the tests open it: shown without modality, active, and past its first
// activation (the combos filled, the list's reload already run).
#include "archive/ui/Magazzino.h"
#include "core/ui/FormBase.h"

#include <QComboBox>
#include <QTest>

inline Magazzino& apriMagazzinoAttivato()
{
    Magazzino& w = Forms::get<Magazzino>();
    w.showModeless();
    if (!QTest::qWaitForWindowActive(&w))
        qWarning("window not active");
    // The first activation fills the combos and schedules a reload 1 ms later.
    if (!QTest::qWaitFor([&w] { return w.Genere->count() == 40; }))
        qWarning("no activation");
    QTest::qWait(30);
    return w;
}
