#include "windows/KeyAscii.h"

#include "customButton/buttonkeys.h"

#include <QKeyEvent>

std::optional<short> keyAsciiOf(const QKeyEvent &event)
{
    switch (event.key()) {
    // Escape is left to the windows: it closes a dialog and stops a page search.
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return std::nullopt;
    default:
        return keyAscii(event.key(), event.modifiers(), event.text());
    }
}

KeyPressHook::KeyPressHook(QObject *target, Handler handler) : QObject(target), m_handler(std::move(handler))
{
    target->installEventFilter(this);
}

bool KeyPressHook::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        if (const std::optional<short> key = keyAsciiOf(*static_cast<QKeyEvent *>(event))) {
            short keyAscii = *key;
            m_handler(keyAscii);
            if (keyAscii == 0) {
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void acceptDigitsOnly(short &KeyAscii, const std::function<void()> &beep)
{
    if (KeyAscii == kBackspace || isDecimalDigit(KeyAscii)) {
        return;
    }
    KeyAscii = 0;
    beep();
}
