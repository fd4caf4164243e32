#pragma once

#include <QFrame>
#include <QPixmap>

// A sunken box that shows a picture at its own size from the top-left corner inside the border,
// clipped at the edges: never scaled, never resized to fit.
class PictureBox : public QFrame
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    // A null image leaves the box blank. Pass a temporary: the pixmap then takes over its memory.
    void setPicture(QImage image);
    void clearPicture();
    bool hasPicture() const { return !m_picture.isNull(); }
    const QPixmap &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};
