#include "windows/Controls.h"

#include "windows/WindowsLog.h"

#include <QDialog>
#include <QEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>

PictureButton::PictureButton(const QPixmap &picture, const QString &caption, QWidget *parent)
    : QPushButton(caption, parent), m_picture(picture)
{
    setAccessibleName(caption);
}

QSize PictureButton::sizeHint() const
{
    const QSize caption = fontMetrics().size(Qt::TextShowMnemonic, text());
    return {qMax(caption.width(), m_picture.width()) + 12, caption.height() + m_picture.height() + 12};
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The bevel only: picture and caption are placed below, one above the other.
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const bool down = isDown() || isChecked();
    const int shift = down ? 1 : 0;
    const int captionHeight = fontMetrics().height();
    const int top = (height() - m_picture.height() - captionHeight) / 2;
    const QPoint pictureAt((width() - m_picture.width()) / 2 + shift, top + shift);
    painter.drawPixmap(pictureAt, m_picture);
    const QRect captionRect(shift, top + m_picture.height() + shift, width(), captionHeight);
    painter.drawItemText(captionRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic, palette(), isEnabled(),
                         text(), QPalette::ButtonText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(4, 4, -4, -4);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

WrappingCheckBox::WrappingCheckBox(const QString &text, QWidget *parent) : QCheckBox(text, parent) {}

namespace
{

// The classic check box: a 13-pixel square, its caption half an average character to the right.
// The desktop styles' larger square and wider gap leave the layouts' 121-pixel boxes too narrow
// for "sottopagine (999 sec.)" on one line, and a third line falls off the box.
constexpr int kClassicIndicator = 13;

} // namespace

QRect WrappingCheckBox::indicatorRect() const
{
    return {0, (height() - kClassicIndicator) / 2, kClassicIndicator, kClassicIndicator};
}

QRect WrappingCheckBox::captionRect() const
{
    return rect().adjusted(kClassicIndicator + fontMetrics().averageCharWidth() / 2, 0, 0, 0);
}

void WrappingCheckBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    QStyleOptionButton indicator = option;
    indicator.rect = indicatorRect();
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);

    const QRect caption = captionRect();
    painter.drawItemText(caption, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, palette(),
                         isEnabled(), text(), QPalette::WindowText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.boundingRect(caption, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text())
                         .adjusted(-1, 0, 1, 0)
                         .intersected(rect());
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool WrappingCheckBox::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

Frame::Frame(const QString &caption, QWidget *parent) : QGroupBox(caption, parent) {}

void Frame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    const int lineY = metrics.height() / 2;
    // Etched: a shadow line with a light one just inside and below it.
    const QRect outer(0, lineY, width() - 2, height() - lineY - 2);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(outer);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(outer.translated(1, 1));
    if (title().isEmpty()) {
        return;
    }
    constexpr int captionLeft = 8;
    constexpr int captionPadding = 2;
    const QRect caption(captionLeft, 0, metrics.horizontalAdvance(title()) + 2 * captionPadding, metrics.height());
    painter.fillRect(caption, palette().color(QPalette::Window));
    style()->drawItemText(&painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, palette(), isEnabled(), title(),
                          QPalette::WindowText);
}

namespace
{

class DialogKeeper : public QObject
{
public:
    explicit DialogKeeper(QDialog *dialog) : QObject(dialog), m_dialog(dialog) { dialog->installEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        constexpr Qt::WindowStates kOutOfView = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
        if (watched == m_dialog && event->type() == QEvent::WindowStateChange &&
            (m_dialog->windowState() & kOutOfView) && m_dialog->isVisible()) {
            qCDebug(lcWindows) << "the window manager changed" << m_dialog->objectName() << "to"
                               << m_dialog->windowState() << "- bringing it back";
            // Not from inside the window system's own state change.
            QTimer::singleShot(0, m_dialog, [dialog = m_dialog] {
                dialog->showNormal();
                dialog->raise();
                dialog->activateWindow();
            });
        }
        return false;
    }

private:
    QDialog *m_dialog;
};

} // namespace

void keepDialogInView(QDialog *dialog)
{
    new DialogKeeper(dialog);
}

Skinner::Skinner(int borderStyle, const QString &formName, QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Skinner1"));
    setProperty("borderstyleviejo", borderStyle);
    setProperty("nombreform_paraborderstyleviejo", formName);
}
