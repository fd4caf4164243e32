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
    if (m_onEscape.empty()) {
        m_modalAtHold = QGuiApplication::modalWindow();
    }
    m_onEscape.push_back(std::move(onEscape));
}

void LoadInput::endHold()
{
    if (m_onEscape.empty()) {
        return;
    }
    m_onEscape.pop_back();
    if (!m_onEscape.empty()) {
        return;
    }
    // The windows take the input now, as the window system would have delivered it to a window
    // that was busy.
    for (auto &[window, event] : std::exchange(m_held, {})) {
        if (window) {
            QCoreApplication::postEvent(window, event.release());
        }
    }
}

bool LoadInput::newDialogShown() const
{
    QWindow *modal = QGuiApplication::modalWindow();
    return modal && modal != m_modalAtHold;
}

bool LoadInput::belongsToNewDialog(QWindow *window) const
{
    QWindow *modal = QGuiApplication::modalWindow();
    return newDialogShown() && (window == modal || modal->isAncestorOf(window, QWindow::IncludeTransients));
}

bool LoadInput::eventFilter(QObject *watched, QEvent *event)
{
    if (m_onEscape.empty() || !isInputEvent(event->type())) {
        return false;
    }
    if (!watched->isWindowType()) {
        // Input sent straight to a control, past its window: only Escape is taken, so that it
        // ends the wait however it comes. A dialog opened meanwhile keeps its own.
        if (event->type() == QEvent::KeyPress && isEscape(event) && !newDialogShown()) {
            escape();
            return true;
        }
        return false;
    }
    // Held at the windows, before any control sees it: key preview and shortcuts included.
    if (belongsToNewDialog(static_cast<QWindow *>(watched))) {
        return false;
    }
    if (isEscape(event)) {
        if (event->type() == QEvent::KeyPress) {
            escape();
        }
        return true;
    }
    m_held.emplace_back(QPointer<QObject>(watched), std::unique_ptr<QEvent>(event->clone()));
    return true;
}

void LoadInput::escape()
{
    // A copy: the callback may end this very hold.
    const std::function<void()> onEscape = m_onEscape.back();
    if (onEscape) {
        onEscape();
    }
}
