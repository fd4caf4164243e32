#include "windows/KeyPressFilter.h"

#include "customButton/buttonkeys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace
{

class KeyPressFilter : public QObject
{
public:
    KeyPressFilter(QWidget *box, std::function<void(short &)> handler) : QObject(box), m_handler(std::move(handler))
    {
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress) {
            return QObject::eventFilter(watched, event);
        }
        const auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
        case Qt::Key_Delete:
            return false;
        default:
            break;
        }
        const std::optional<short> ascii = keyAscii(key->key(), key->modifiers(), key->text());
        if (!ascii) {
            return false;
        }
        short code = *ascii;
        m_handler(code);
        return code == 0;
    }

private:
    std::function<void(short &)> m_handler;
};

} // namespace

void connectKeyPress(QWidget *box, std::function<void(short &KeyAscii)> handler)
{
    new KeyPressFilter(box, std::move(handler));
}
