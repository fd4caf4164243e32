#include "TextInk.h"

#include <QHash>
#include <QList>

#include <algorithm>

TextInk measureTextInk(const QImage &source, QRect area)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    area = area.isEmpty() ? image.rect() : area.intersected(image.rect());
    TextInk ink;
    if (area.isEmpty()) {
        return ink;
    }
    QHash<QRgb, int> colours;
    int darkest = 255;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            ++colours[pixel];
            darkest = std::min(darkest, qGray(pixel));
        }
    }
    QRgb background = 0;
    int most = 0;
    for (auto it = colours.cbegin(); it != colours.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    const int light = qGray(background);
    if (light - darkest < 32) {
        return ink; // no text here
    }
    const int threshold = (light + darkest) / 2;
    const auto lum = [&](int x, int y) { return qGray(image.pixel(x, y)); };
    const auto isInk = [&](int x, int y) { return lum(x, y) <= threshold; };
    const auto isMarked = [&](int x, int y) { return lum(x, y) < light - 16; };

    QList<qreal> runs;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        qreal run = 0;
        bool inkInRun = false;
        for (int x = area.left(); x <= area.right() + 1; ++x) {
            if (x <= area.right() && isMarked(x, y)) {
                run += qMin(1.0, qreal(light - lum(x, y)) / qreal(light - darkest));
                if (isInk(x, y)) {
                    inkInRun = true;
                    ++ink.inkPixels;
                    ink.inkBox |= QRect(x, y, 1, 1);
                } else {
                    ++ink.shadePixels;
                }
                continue;
            }
            if (inkInRun) {
                runs.append(run);
            }
            run = 0;
            inkInRun = false;
        }
    }
    if (ink.inkPixels == 0) {
        return ink;
    }
    std::sort(runs.begin(), runs.end());
    ink.strokeWidth = runs.at(runs.size() / 2);

    // The first line: the rows of ink from the top of the ink down to the first blank row.
    int lineBottom = ink.inkBox.top();
    for (int y = ink.inkBox.top(); y <= ink.inkBox.bottom(); ++y) {
        bool any = false;
        for (int x = ink.inkBox.left(); x <= ink.inkBox.right() && !any; ++x) {
            any = isInk(x, y);
        }
        if (!any) {
            break;
        }
        lineBottom = y;
    }
    // Its first glyph: the columns of ink from its left edge up to the first blank one.
    int left = -1;
    for (int x = ink.inkBox.left(); x <= ink.inkBox.right() && left < 0; ++x) {
        for (int y = ink.inkBox.top(); y <= lineBottom; ++y) {
            if (isInk(x, y)) {
                left = x;
                break;
            }
        }
    }
    int top = lineBottom;
    int bottom = ink.inkBox.top();
    for (int x = left; x <= ink.inkBox.right(); ++x) {
        bool any = false;
        for (int y = ink.inkBox.top(); y <= lineBottom; ++y) {
            if (isInk(x, y)) {
                any = true;
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        if (!any) {
            break;
        }
    }
    ink.firstGlyphHeight = bottom - top + 1;
    return ink;
}
