#pragma once
// Waits that keep the windows alive: events (clicks, timers, port data) run during them, as the
// register link and the windows rely on. Every duration is nominal, scaled by the one wait policy
// (app().wait), and measured with a monotonic clock. The waits sleep in the event dispatcher, so
// the windows stay alive and a wait for something ends as soon as the event that brings it ran
// (AttesaSenzaInput, which holds user input back, looks every millisecond instead).
#include <functional>

// Attesa: wait `ms` while the window system processes events.
void Attesa(double ms);
// The same, but user input waits until the end: for database work, so no click starts a second one.
void AttesaSenzaInput(double ms);
// Wait until `done` returns true or `ms` pass, events running; returns whether `done` became true.
// `done` is tested after every event processed, so the wait ends as soon as it holds.
bool AttendiFinche(const std::function<bool()>& done, double ms);
// Lets the events already waiting run once (timers, painting), user input held back: progress
// reports of long database work call it so the window stays painted.
void LasciaScorrereEventi();
