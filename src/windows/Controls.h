#pragma once

// Small standard controls the window layouts need beyond what Qt offers as it stands.

#include <QCheckBox>
#include <QGroupBox>
#include <QObject>
#include <QPixmap>
#include <QPushButton>
#include <QVariant>

// A push button that shows its picture centred above its caption, as a graphical push button
// does; a plain QPushButton puts the icon beside the text.
class PictureButton : public QPushButton
{
    Q_OBJECT

public:
    PictureButton(const QPixmap &picture, const QString &caption, QWidget *parent = nullptr);
    const QPixmap &picture() const { return m_picture; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};

// A check box whose caption wraps onto further lines within the box's width, and that toggles on
// a click anywhere in the box, caption included.
class WrappingCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    explicit WrappingCheckBox(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    QRect indicatorRect() const;
    QRect captionRect() const;
};

// A frame of the classic kind: an etched rectangle whose top line runs through the middle of the
// caption. (The desktop styles put the caption above the frame, where the controls that the
// layouts place just below the caption would cover the frame's line.)
class Frame : public QGroupBox
{
    Q_OBJECT

public:
    explicit Frame(const QString &caption, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

class QDialog;

// Keeps a dialog in view above its main window. The dialogs say they have no minimise and no
// maximise, but some window managers offer both on every window all the same (openbox ignores
// those hints); a modal dialog out of sight would leave its main window blocked with nothing to
// answer, so the dialog comes straight back whenever it is minimised, maximised or made full screen.
void keepDialogInView(QDialog *dialog);

// Stands in for the skinning control each window carries: invisible, never called, holding only
// the two properties the window stores in it.
class Skinner : public QObject
{
    Q_OBJECT

public:
    Skinner(int borderStyle, const QString &formName, QObject *parent);
};
