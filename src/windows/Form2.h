#pragma once

#include <QDialog>

class Skinner;
class customButton;
class formpagiscopo;
class QLabel;
class QLineEdit;

// The subpage-interval dialog "Tempo cambiamento sottopagina". Built here; its handlers are in
// modes/IntervalDialog.cpp. Created when it opens and destroyed when it closes.
class Form2 : public QDialog
{
    Q_OBJECT

public:
    explicit Form2(formpagiscopo &main);

    Skinner *Skinner1 = nullptr;
    customButton *cambia = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *Label1 = nullptr;

    // modes/IntervalDialog.cpp
    void Form_Load();
    void Text1_KeyPress(short &KeyAscii);
    void cambia_Click();

private:
    formpagiscopo &m_main;
};
