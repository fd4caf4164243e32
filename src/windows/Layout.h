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
