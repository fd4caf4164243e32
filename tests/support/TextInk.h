#pragma once

#include <QImage>
#include <QRect>

// A text as the screen shows it, measured from its pixels: dark ink on a lighter background, the
// background being the commonest colour of the area.
struct TextInk {
    // Pixels at least half way from the background to the darkest pixel of the area.
    int inkPixels = 0;
    QRect inkBox;
    // Height of the leftmost glyph of the first line: the cap height, where the text starts with a
    // capital or a digit.
    int firstGlyphHeight = 0;
    // The median width of a horizontal run of ink, in pixels of full ink (a soft edge counts for
    // the part of a pixel it covers): the width of the upright strokes, which most runs cross.
    qreal strokeWidth = 0;
    // Pixels neither background nor full ink colour: the soft edges of anti-aliased text.
    int shadePixels = 0;
};

// Measures the text in `area` of `image` (all of it when `area` is empty).
TextInk measureTextInk(const QImage &image, QRect area = QRect());
