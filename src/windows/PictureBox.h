#pragma once

#include <QFrame>
#include <QPixmap>

class QLabel;

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

    QPixmap m_picture;
    QLabel *m_notice = nullptr;
};
