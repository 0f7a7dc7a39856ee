#pragma once
// Waits that keep the windows alive: events (clicks, timers, port data) run during them, as the
// register link and the windows rely on. Every duration is nominal, scaled by the one wait policy
// (app().wait), and measured with a monotonic clock. The waits sleep in the event dispatcher, so
// the windows stay alive and a wait for something ends as soon as the event that brings it ran
// (AttesaSenzaInput, which holds user input back, looks every millisecond instead).
#include <functional>

// Whether clicks and keys run during a wait or stay queued until it ends.
enum class InputUtente { Ammesso, Trattenuto };

// Attesa: wait `ms` while the window system processes events.
void Attesa(double ms);
// The same, but user input waits until the end: for database work, so no click starts a second one.
void AttesaSenzaInput(double ms);
// Wait until `done` returns true or `ms` pass, events running; returns whether `done` became true.
// `done` is tested after every event processed, so the wait ends as soon as it holds.
bool AttendiFinche(const std::function<bool()>& done, double ms, InputUtente input = InputUtente::Ammesso);
// The same on the clock, whatever the wait policy: for limits that are no pauses (how long a child
// process may take to start or to end), which scaled waits would cut short or make endless.
bool AttendiFincheEntro(const std::function<bool()>& done, int ms, InputUtente input = InputUtente::Ammesso);
// Lets the events already waiting run once (timers, painting, port data). Progress reports of long
// database work hold user input back so the window stays painted and no click starts a second
// piece of work; the register protocol's steps let clicks through (a reception's stop button).
void LasciaScorrereEventi(InputUtente input = InputUtente::Trattenuto);
