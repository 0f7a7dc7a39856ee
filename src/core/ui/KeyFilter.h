#pragma once
// Key filters for edit fields. They see only character keys (Enter 13, Esc 27, Backspace 8 too),
// as the windows' key handlers always did; arrows, Delete, Tab and F-keys pass untouched.
#include <QObject>
#include <functional>

class QWidget;

// Returns the key code when it belongs to the mode's set, else 0. Modes:
// 1 digits, Backspace, Enter; 2 codes 65-122, digits, Backspace, space;
// 3 digits, Backspace, comma; 4 codes 65-122, digits, Backspace, full stop, at sign.
int FiltraTasto(int keyAscii, int mode);
// Codes below 32 pass; otherwise only "1234567890,".
int SoloNumeri(int keyAscii);

// Windows-1252 code of a typed character (0 when it has none).
int codiceTasto(QChar c);

// Installs a KeyPress handler on `w`: `handler` receives the key code and returns the code to
// let through (0 drops the key; another code types that character instead).
class KeyPressFilter : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<int(int keyAscii)>;
    static KeyPressFilter* install(QWidget* w, Handler handler);
    static KeyPressFilter* installMode(QWidget* w, int mode);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyPressFilter(QObject* parent, Handler h) : QObject(parent), m_handler(std::move(h)) {}
    Handler m_handler;
    bool m_replacing = false;
};
