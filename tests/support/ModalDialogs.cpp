#include "ModalDialogs.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <memory>

namespace
{

void poll(std::shared_ptr<std::function<void(QWidget *)>> action, QDeadlineTimer deadline)
{
    QWidget *dialog = QApplication::activeModalWidget();
    if (dialog && dialog->isVisible()) {
        (*action)(dialog);
        return;
    }
    if (deadline.hasExpired()) {
        qWarning("no modal dialog opened");
        return;
    }
    QTimer::singleShot(10, [action, deadline] { poll(action, deadline); });
}

} // namespace

void whenModalOpens(std::function<void(QWidget *dialog)> action)
{
    poll(std::make_shared<std::function<void(QWidget *)>>(std::move(action)), QDeadlineTimer(10000));
}
