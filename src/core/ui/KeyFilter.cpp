#include "core/ui/KeyFilter.h"

#include "core/TextFile.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

int FiltraTasto(int k, int mode)
{
    const bool digit = k >= 48 && k <= 57;
    const bool letters = k >= 65 && k <= 122;
    switch (mode) {
    case 1:
        return (digit || k == 8 || k == 13) ? k : 0;
    case 2:
        return (letters || digit || k == 8 || k == 32) ? k : 0;
    case 3:
        return (digit || k == 8 || k == 44) ? k : 0;
    case 4:
        return (letters || digit || k == 8 || k == 46 || k == 64) ? k : 0;
    default:
        return 0;
    }
}

int SoloNumeri(int k)
{
    if (k < 32)
        return k;
    return QStringLiteral("1234567890,").contains(QChar(k)) ? k : 0;
}

int codiceTasto(QChar c)
{
    const QByteArray b = TextFile::encode(QString(c));
    if (b.size() != 1)
        return 0;
    const int code = static_cast<unsigned char>(b.at(0));
    return (code == '?' && c != QLatin1Char('?')) ? 0 : code;
}

KeyPressFilter* KeyPressFilter::install(QWidget* w, Handler handler)
{
    auto* f = new KeyPressFilter(w, std::move(handler));
    w->installEventFilter(f);
    return f;
}

KeyPressFilter* KeyPressFilter::installMode(QWidget* w, int mode)
{
    return install(w, [mode](int k) { return FiltraTasto(k, mode); });
}

bool KeyPressFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || m_replacing)
        return false;
    auto* ke = static_cast<QKeyEvent*>(event);
    int code = 0;
    switch (ke->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        code = 13;
        break;
    case Qt::Key_Escape:
        code = 27;
        break;
    case Qt::Key_Backspace:
        code = 8;
        break;
    default: {
        // Tab, Delete, arrows and F-keys carry no text or only a control character: they never
        // reached the old key handlers, so they pass untouched (focus moves, deletes still work).
        if (ke->text().isEmpty() || (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        const QChar c = ke->text().at(0);
        if (!c.isPrint())
            return false;
        code = codiceTasto(c);
        // A character outside Windows-1252 cannot be stored in the shop's files: dropped.
        if (code == 0)
            return true;
    }
    }
    const int result = m_handler(code);
    if (result == code)
        return false;
    if (result <= 0 || result > 255)
        return true;
    // Replace the key with another character; the replacement is not filtered again.
    int key = 0;
    QString text = TextFile::decode(QByteArray(1, char(result)));
    switch (result) {
    case 8:
        key = Qt::Key_Backspace;
        break;
    case 13:
        key = Qt::Key_Return;
        break;
    case 27:
        key = Qt::Key_Escape;
        break;
    default:
        break;
    }
    QKeyEvent replacement(QEvent::KeyPress, key, ke->modifiers(), text);
    m_replacing = true;
    QApplication::sendEvent(watched, &replacement);
    m_replacing = false;
    return true;
}
