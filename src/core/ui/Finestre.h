#pragma once
// The program's windows as one service (Contesto::finestre()): the default instance of each window
// class (Forms::get<T>()), the main window new windows open over, and which of our windows was
// active last, so that a window's activation runs only when the user moves between our own windows
// (or on its first show), never after a message box, a file dialog or a return from another
// application, nor when the window system passes the focus through a window that a modal one (a
// message box, say) blocks. The program owns one for the whole run; every test gets a fresh one (TestEnv).
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>

class FormBase;

class Finestre final : public QObject
{
    Q_OBJECT
public:
    // Watches every window of the application that becomes active.
    Finestre();

    // The default instances by window class name; an entry of a destroyed window reads null.
    QHash<QString, QPointer<FormBase>>& registro() { return m_registro; }

    // The parent of new top-level windows, so they stay above it (none until one is set).
    QWidget* principale() const { return m_principale.data(); }
    void impostaPrincipale(QWidget* w) { m_principale = w; }

    // Called for every window that becomes active (the event filter does it; tests may too).
    void finestraAttivata(QWidget* w);

    // Deletes the default instances still open, without their unload steps (a test's end).
    void eliminaAperte();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<QString, QPointer<FormBase>> m_registro;
    QPointer<QWidget> m_principale;
    QSet<const void*> m_maiAttivate; // windows activated at least once, while they live
    const void* m_ultima = nullptr;  // our window active last
    bool m_ultimaNostra = false;     // the window active last was one of ours
};
