#pragma once
// The window base: every window of the program has one default instance, created and loaded
// on first use, destroyed by unload and loaded afresh by a later use. Activation runs only when
// the user moves between our own windows (or on the first show), never after a message box, a
// file dialog or a return from another application: the program's windows (core/ui/Finestre.h,
// Contesto::finestre()) keep the default instances and watch the activations.
#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

class FormBase : public QWidget
{
    Q_OBJECT
public:
    explicit FormBase(QWidget* parent = nullptr);
    ~FormBase() override;

    // Runs formLoad() once; never called from a constructor (a load may wait on events).
    void load();
    bool isFormLoaded() const { return m_loaded; }
    // Shows the window application-modal and returns when it closes or hides.
    void showModal();
    void showModeless();
    // Closes the window through its unload question; true when it really closed.
    bool unload();
    bool isUnloading() const { return m_unloading; }

    QString tag() const { return m_tag; }
    void setTag(const QString& t) { m_tag = t; }

    // Called by the program's windows on an activation by the rule above; runs formActivate().
    void activate();

    // The default instances of the program's windows (Contesto::finestre()), used by Forms::get<T>().
    static QHash<QString, QPointer<FormBase>>& registry();
    void setRegistryKey(const QString& key) { m_registryKey = key; }

Q_SIGNALS:
    void unloaded();
    void hiddenOrClosed();

protected:
    virtual void formLoad() {}
    virtual void formActivate() {}
    virtual bool formQueryUnload() { return true; } // false refuses the close
    virtual void formUnload() {}

    void closeEvent(QCloseEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void forget();
    void placeFirstShow();
    bool m_loaded = false;
    bool m_unloading = false;
    bool m_modale = false; // its modal loop runs
    QString m_tag;
    QString m_registryKey;
};

namespace Forms {

// The parent of new top-level windows (the main window once it is set), so they stay above it.
QWidget* parentForNew();

template <class T> QString key()
{
    return QString::fromLatin1(T::staticMetaObject.className());
}

template <class T> T* instance()
{
    return qobject_cast<T*>(FormBase::registry().value(key<T>()).data());
}

template <class T> bool isLoaded()
{
    return instance<T>() != nullptr;
}

// The default instance, created and loaded on first use; null when it was closed during its load
// (a load may wait on events). A window that needs its opener's services takes them in its
// constructor (`servizi`), so it cannot be built without them.
template <class T, class... S> T* carica(S&... servizi)
{
    if (T* existing = instance<T>())
        return existing;
    QPointer<T> w = new T(servizi..., parentForNew());
    w->setRegistryKey(key<T>());
    FormBase::registry().insert(key<T>(), w.data());
    w->load();
    return w.data();
}

// The same, for callers that go on with the window: one closed during its load is made afresh.
template <class T, class... S> T& get(S&... servizi)
{
    for (;;)
        if (T* w = carica<T>(servizi...))
            return *w;
}

template <class T> void unload()
{
    if (T* w = instance<T>())
        w->unload();
}

} // namespace Forms
