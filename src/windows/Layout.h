#pragma once

#include <QFont>
#include <QStringList>

class QWidget;

// Window layouts are drawn in twips; the screen has 15 twips to the (logical) pixel.
constexpr int twipsToPixels(int twips)
{
    return twips / 15;
}

// Places a control from its twips geometry.
void placeTwips(QWidget *widget, int left, int top, int width, int height);

QFont pointFont(const QString &family, qreal points, bool bold);

// The editions of the teletext service, in the order of the edition list; each name goes into the
// page address as written.
const QStringList &regionEditions();
