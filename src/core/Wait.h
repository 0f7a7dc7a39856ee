#pragma once
// Waits that keep the windows alive: events (clicks, timers, port data) run during them, as the
// register link and the windows rely on. Measured with a monotonic clock, scaled by the wait policy.
#include <functional>

// Attesa: wait `ms` (scaled by app().wait) while the window system processes events.
void Attesa(double ms);
// The same, but user input waits until the end: for database work, so no click starts a second one.
void AttesaSenzaInput(double ms);
// Wait until `done` returns true or `ms` (unscaled) pass; returns whether `done` became true.
bool AttendiFinche(const std::function<bool()>& done, int ms, int sleepMs = 1);
