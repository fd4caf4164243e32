// Always on top, the notification-area icon and image-only mode of the main window.

#include "modes/WindowModes.h"

#include "customButton/customButton.h"
#include "modes/ModesLog.h"
#include "platform/Platform.h"
#include "reader/Reader.h"
#include "windows/Controls.h"
#include "windows/Icons.h"
#include "windows/Layout.h"
#include "windows/formpagiscopo.h"

#include <QGroupBox>
#include <QLineEdit>

Q_LOGGING_CATEGORY(lcModes, "pagiscopo.modes", QtInfoMsg)

namespace
{

constexpr qsizetype kTipCharacters = 63;

const QString kFullWindowCaption = QStringLiteral("Togli pulsanti");
const QString kImageOnlyCaption = QStringLiteral("Metti pulsanti");

// The client area without the controls; the window manager draws the frame around it.
constexpr int kImageOnlyWidthTwips = 5660;
constexpr int kImageOnlyHeightTwips = 6270;

} // namespace

QString trayTipText(const QString &pageText)
{
    return (QStringLiteral("Pagiscopo 2, pagina ") + pageText + QStringLiteral(" by zorvik")).left(kTipCharacters);
}

void formpagiscopo::Check1_Click()
{
    switch (Check1->checkState()) {
    case Qt::Checked:
        MakeTopMost(this);
        break;
    case Qt::Unchecked:
        MakeNormal(this);
        break;
    case Qt::PartiallyChecked:
        break;
    }
}

void formpagiscopo::MakeTopMost(QWidget *window)
{
    if (!m_platform.setStaysOnTop(window, true)) {
        qCDebug(lcModes) << "the window could not be kept on top";
    }
}

void formpagiscopo::MakeNormal(QWidget *window)
{
    if (!m_platform.setStaysOnTop(window, false)) {
        qCDebug(lcModes) << "the window could not be put back among the others";
    }
}

void formpagiscopo::traybar1_Click()
{
    minimize_to_tray();
}

void formpagiscopo::minimize_to_tray()
{
    // Hidden with no icon to click, the window would be lost for good: without a notification
    // area it is minimised instead, and it comes back from the task bar.
    if (!m_platform.trayAvailable()) {
        qCWarning(lcModes) << "no notification area on this desktop; minimising the window instead";
        m_platform.minimise(this);
        return;
    }
    hide();
    trayIconData = trayTipText(pagpagiscopo->text());
    const auto activated = [this](int message) { Form_MouseMove(0, 0, float(message * kTwipsPerPixel), 0); };
    if (!m_platform.addTrayIcon(applicationIcon(), trayIconData, activated)) {
        qCWarning(lcModes) << "the notification-area icon could not be shown; showing the window again";
        show();
    }
}

void formpagiscopo::Form_MouseMove(qint16 Button, qint16 Shift, float X, float Y)
{
    Q_UNUSED(Button);
    Q_UNUSED(Shift);
    Q_UNUSED(Y);
    const int message = qRound(X / kTwipsPerPixel);
    if (message != TrayMessage::LeftButtonDown && message != TrayMessage::RightButtonUp) {
        return;
    }
    show();
    raise();
    activateWindow();
    m_platform.removeTrayIcon();
}

void formpagiscopo::soloimma_Click()
{
    const QString caption = soloimma->Caption();
    if (caption == kFullWindowCaption) {
        soloimma->setCaption(kImageOnlyCaption);
        setFixedSize(
            reader().clientSize(QSize(twipsToPixels(kImageOnlyWidthTwips), twipsToPixels(kImageOnlyHeightTwips))));
        Frame3->hide();
        Frame1->hide();
    } else if (caption == kImageOnlyCaption) {
        soloimma->setCaption(kFullWindowCaption);
        setFixedSize(reader().clientSize(QSize(twipsToPixels(kFullWidthTwips), twipsToPixels(kFullHeightTwips))));
        Frame3->show();
        Frame1->show();
    }
}
