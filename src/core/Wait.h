#pragma once
// Waits that keep the windows alive: timers, port data and painting run during them, as the register
// link and the windows rely on. Every duration is nominal, scaled by the one wait policy (app().wait),
// and measured with a monotonic clock.
//
// A wait runs while a window loads or while an operation of a window is under way, so what the user
// does meanwhile must not start a second operation or close the window the first one works on. Each
// wait says which input reaches the program's windows while it runs:
// - InputUtente::Trattenuto: none. Clicks and keys stay queued in the window system until the wait
//   ends; input that reaches a window another way meanwhile (a press through the accessibility
//   interface, a posted event, a close from the window manager) is dropped.
// - InputUtente::SoloControlliVivi: only the controls the running operation named live
//   (ControlliVivi), for example the reception buttons, whose click offers to stop a reception.
//   Input to any other control is dropped.
// A modal window opened during a wait (a question of the operation, a message of a timer) gets its
// input as usual; the windows under it stay blocked by it. The input filter of the program's windows
// (core/ui/FiltroInput.h) applies this; without windows, waits only hold window-system input back.
#include <QPointer>
#include <QWindow>
#include <functional>
#include <initializer_list>

enum class InputUtente { Trattenuto, SoloControlliVivi };

// Attesa: wait `ms` while events run.
void Attesa(double ms, InputUtente input);
// The same with no input: for database work and window loads.
void AttesaSenzaInput(double ms);
// Wait until `done` returns true or `ms` pass, events running; returns whether `done` became true.
// `done` is tested after every event processed, so the wait ends as soon as it holds.
bool AttendiFinche(const std::function<bool()>& done, double ms, InputUtente input);
// The same on the clock, whatever the wait policy: for limits that are no pauses (how long a child
// process may take to start or to end), which scaled waits would cut short or make endless.
bool AttendiFincheEntro(const std::function<bool()>& done, int ms, InputUtente input);
// Lets the events already waiting run once (timers, painting, port data).
void LasciaScorrereEventi(InputUtente input);

// The controls an operation keeps live while it runs (its own stop button): input reaches them
// during its SoloControlliVivi waits. They stay live until this object goes.
class ControlliVivi
{
public:
    explicit ControlliVivi(std::initializer_list<QObject*> controlli);
    ~ControlliVivi();
    ControlliVivi(const ControlliVivi&) = delete;
    ControlliVivi& operator=(const ControlliVivi&) = delete;

private:
    QList<QPointer<QObject>> m_controlli;
};

// The state the windows' input filter reads.
namespace Attese {
// Whether a wait is running events now (the innermost one decides).
bool inCorso();
InputUtente tipo();
// The modal window that was up when the innermost wait started (null when none was): a modal window
// other than this one was opened during the wait.
QWindow* modaleAllInizio();
// Whether `o` or one of its parents is a live control.
bool vivo(const QObject* o);
} // namespace Attese
