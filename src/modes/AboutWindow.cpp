// The about window: a link that lights up under the pointer and opens the program's web page.

#include "modes/ModesLog.h"
#include "platform/Platform.h"
#include "windows/Controls.h"
#include "windows/aboutform.h"
#include "windows/formpagiscopo.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>

namespace
{

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

void formpagiscopo::About_Click()
{
    if (Check1->checkState() == Qt::Checked) {
        Check1->setChecked(false);
    }
    aboutform dialog(m_platform, this);
    dialog.exec();
}

void aboutform::Label5_MouseMove()
{
    setTextColour(Label5, QColor(255, 0, 0));
}

void aboutform::Form_MouseMove()
{
    setTextColour(Label5, QColor(0, 0, 255));
}

void aboutform::Label5_Click()
{
    qCDebug(lcModes) << "opening" << webPage().toString();
    m_platform.openUrl(webPage());
}

void aboutform::mouseMoveEvent(QMouseEvent *event)
{
    // Only the bare surface of the window counts (the rule is drawn on it); the other labels keep
    // their moves to themselves.
    QWidget *under = childAt(event->position().toPoint());
    if (under == nullptr || under == Line1) {
        Form_MouseMove();
    }
    QDialog::mouseMoveEvent(event);
}

bool aboutform::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label5) {
        if (event->type() == QEvent::MouseMove) {
            Label5_MouseMove();
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton && Label5->rect().contains(mouse->position().toPoint())) {
                Label5_Click();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
