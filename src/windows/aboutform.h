#pragma once

#include <QDialog>
#include <QUrl>

class Platform;
class Skinner;
class QFrame;
class QLabel;

// The about window "About - zorvik!". Built here; its handlers are in modes/AboutWindow.cpp.
class aboutform : public QDialog
{
    Q_OBJECT

public:
    // Over `mainWindow`, which the window manager keeps it above.
    explicit aboutform(Platform &platform, QWidget *mainWindow = nullptr);

    Skinner *Skinner1 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label6 = nullptr;
    QFrame *Line1 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;

    static const QUrl &webPage();

    // modes/AboutWindow.cpp
    void Label5_MouseMove();
    void Form_MouseMove();
    void Label5_Click();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Platform &m_platform;
};
