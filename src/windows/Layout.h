#pragma once

#include <QFont>

class QWidget;

// Window layouts are drawn in twips; the screen has 15 twips to the (logical) pixel.
constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return twips / kTwipsPerPixel;
}

// Places a control from its twips geometry.
void placeTwips(QWidget *widget, int left, int top, int width, int height);

// A font the layouts name, as it draws here at that size and weight (see platform/Fonts.h).
QFont pointFont(const QString &family, qreal points, bool bold);
// The font every window's controls use unless the layout gives another: MS Sans Serif 8.25 pt.
QFont windowFont();

class QLineEdit;

// Limits what the user can type or paste into a box to `characters`, while texts the program sets
// stay exactly as set (QLineEdit's own maximum length would cut those too).
void limitTypedLength(QLineEdit *box, int characters);
// The same for a number box: what is typed or pasted must also be decimal digits only.
void limitTypedDigits(QLineEdit *box, int characters);

class QLabel;

// A label of a layout: its text from the top-left corner, placed from its twips geometry.
QLabel *createLabel(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height);

class customButton;

// The designer values of one captioned button as a window stores them, in the button's own keys.
struct ButtonDesign {
    const char *name;
    const char *caption;
    qint32 look;
    qint32 scheme;
    quint32 backColour; // 0x00BBGGRR
    bool bold;
};

// The design colours of the buttons, 0x00BBGGRR.
constexpr quint32 kButtonFace = 0x00D8E9EC;    // 236, 233, 216
constexpr quint32 kFavouriteFace = 0x00FFC0C0; // 192, 192, 255

// Creates a button under `parent`, restores it from its stored properties the way a window loads
// its controls, and places it from its twips geometry (which draws it).
customButton *createButton(QWidget *parent, const ButtonDesign &design, int left, int top, int width, int height);
