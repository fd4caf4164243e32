#pragma once

#include <QFrame>
#include <QImage>
#include <QPixmap>

class QLabel;

// A sunken box that shows a picture from the top-left corner inside the border, clipped at the
// edges: at its own size, or each of its pixels as a whole block of k x k (the zoom), never smoothed
// and never resized to fit.
class PictureBox : public QFrame
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    // A null image leaves the box blank. The box shares the image's pixels; it makes no copy.
    void setPicture(QImage image);
    void clearPicture();
    bool hasPicture() const { return !m_picture.isNull(); }
    const QImage &image() const { return m_picture; }
    // The picture as the screen would take it (a copy).
    QPixmap picture() const { return QPixmap::fromImage(m_picture); }

    // Each picture pixel is drawn as a zoom x zoom block of the window's pixels.
    void setZoom(int zoom);
    int zoom() const { return m_zoom; }
    // How many of the screen's own pixels one picture pixel takes across: the zoom times the
    // screen's scale, cut down to a whole number so every picture pixel is as wide as the next.
    int devicePixelsPerPicturePixel() const;

    // A short message over the picture (a page being loaded, a server out of reach); an empty
    // text takes it away.
    void setNotice(const QString &text);
    QString notice() const;

protected:
    void paintEvent(QPaintEvent *event) override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeNotice();

    QImage m_picture;
    QLabel *m_notice = nullptr;
    int m_zoom = 1;
};
