#include "viewer/LoadInput.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace
{

bool isInputEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
        return true;
    default:
        return false;
    }
}

bool isEscape(const QEvent *event)
{
    return (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
            event->type() == QEvent::ShortcutOverride) &&
           static_cast<const QKeyEvent *>(event)->key() == Qt::Key_Escape;
}

} // namespace

LoadInput::LoadInput()
{
    QCoreApplication::instance()->installEventFilter(this);
}

LoadInput::~LoadInput()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

void LoadInput::beginHold(std::function<void()> onEscape)
{
    m_holding = true;
    m_onEscape = std::move(onEscape);
}

void LoadInput::endHold()
{
    m_holding = false;
    m_onEscape = nullptr;
    // The windows take the input now, as the window system would have delivered it to a window
    // that was busy.
    for (auto &[window, event] : std::exchange(m_held, {})) {
        if (window) {
            QCoreApplication::postEvent(window, event.release());
        }
    }
}

bool LoadInput::eventFilter(QObject *watched, QEvent *event)
{
    // Held at the windows, before any control sees it: key preview and shortcuts included.
    if (m_holding && watched->isWindowType() && isInputEvent(event->type())) {
        if (isEscape(event)) {
            if (event->type() == QEvent::KeyPress && m_onEscape) {
                m_onEscape();
            }
            return true;
        }
        m_held.emplace_back(QPointer<QObject>(watched), std::unique_ptr<QEvent>(event->clone()));
        return true;
    }
    // A dialog opened meanwhile (a nested load's question) keeps its own Escape.
    if (m_searches > 0 && event->type() == QEvent::KeyPress && isEscape(event) && !QGuiApplication::modalWindow()) {
        m_escapePressed = true;
        return true;
    }
    return false;
}
