#pragma once

#include <QFont>

class QWidget;

// Window layouts are drawn in twips; the screen has 15 twips to the (logical) pixel.
constexpr int twipsToPixels(int twips)
{
    return twips / 15;
}

// Places a control from its twips geometry.
void placeTwips(QWidget *widget, int left, int top, int width, int height);

QFont pointFont(const QString &family, qreal points, bool bold);

class QLineEdit;

// Limits what the user can type or paste into a box to `characters`, while texts the program sets
// stay exactly as set (QLineEdit's own maximum length would cut those too).
void limitTypedLength(QLineEdit *box, int characters);
