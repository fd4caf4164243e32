#pragma once

#include <QDialog>

class customButton;
class formpagiscopo;
class Skinner;
class QLabel;
class QLineEdit;

// The dialog that gives a favourite slot (the owner's assignSlot) a new page number and caption.
// Created for one opening and shown modally; the main window is the owner whose button gets the
// caption.
class Form1 : public QDialog
{
    Q_OBJECT

public:
    explicit Form1(formpagiscopo &owner);
    ~Form1() override;

    // Controls, in creation order.
    customButton *Assegna = nullptr;
    Skinner *Skinner1 = nullptr;
    QLineEdit *Text1 = nullptr; // the page number
    QLineEdit *Text2 = nullptr; // the caption
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;

    // favourites/: what the dialog does.
    void Text1_KeyPress(short &KeyAscii);
    void Assegna_Click();

private:
    void buildLayout();
    void connectControls();

    formpagiscopo &m_owner;
};
