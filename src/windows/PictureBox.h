#pragma once

#include <QFrame>
#include <QImage>
#include <QPixmap>

class QLabel;

// A sunken box that shows a picture at its own size from the top-left corner inside the border,
// clipped at the edges: never scaled, never resized to fit.
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
};
