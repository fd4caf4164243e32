#include "windows/PictureBox.h"

#include <QLabel>
#include <QPainter>

#include <cmath>

PictureBox::PictureBox(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->setWordWrap(true);
    m_notice->setAlignment(Qt::AlignCenter);
    m_notice->setMargin(6);
    // White bold text in a white box over a dark veil that lets the page show through. Palette and
    // frame, not a style sheet: the first style sheet costs the start-up half a millisecond.
    m_notice->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_notice->setLineWidth(1);
    QPalette palette = m_notice->palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 0, 200));
    palette.setColor(QPalette::WindowText, Qt::white);
    m_notice->setPalette(palette);
    // The box's own background role (Button) would be inherited otherwise.
    m_notice->setBackgroundRole(QPalette::Window);
    m_notice->setForegroundRole(QPalette::WindowText);
    m_notice->setAutoFillBackground(true);
    QFont bold;
    bold.setBold(true);
    m_notice->setFont(bold);
    m_notice->hide();
}

void PictureBox::setNotice(const QString &text)
{
    m_notice->setText(text);
    m_notice->setVisible(!text.isEmpty());
    placeNotice();
}

QString PictureBox::notice() const
{
    return m_notice->isHidden() ? QString() : m_notice->text();
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    placeNotice();
}

void PictureBox::placeNotice()
{
    // Across the picture's upper part, clear of its header row.
    const QRect inside = contentsRect().adjusted(12, 0, -12, 0);
    const int height = m_notice->heightForWidth(inside.width());
    m_notice->setGeometry(inside.left(), inside.top() + 60, inside.width(), qMax(height, 24));
}

void PictureBox::setPicture(QImage image)
{
    // Kept as the image itself, shared with whoever else holds it, not as a converted copy;
    // only a picture with an alpha channel is premultiplied once here rather than at every paint.
    if (image.format() == QImage::Format_ARGB32) {
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    }
    m_picture = std::move(image);
    update();
}

void PictureBox::clearPicture()
{
    m_picture = QImage();
    update();
}

void PictureBox::setZoom(int zoom)
{
    if (zoom < 1 || zoom == m_zoom) {
        return;
    }
    m_zoom = zoom;
    update();
}

int PictureBox::devicePixelsPerPicturePixel() const
{
    // A scale of 1.25 would make every fourth pixel twice as wide as the others: 1 is better.
    return qMax(1, int(std::floor(m_zoom * devicePixelRatioF() + 1e-6)));
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_picture.isNull()) {
        return;
    }
    QPainter painter(this);
    const QRect inside = contentsRect();
    painter.setClipRect(inside);
    // Nearest neighbour: each picture pixel becomes a block of whole screen pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const qreal scale = devicePixelsPerPicturePixel() / devicePixelRatioF();
    painter.drawImage(QRectF(inside.topLeft(), QSizeF(m_picture.size()) * scale), m_picture);
}
