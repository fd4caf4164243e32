// ink-measure PNG X Y W H: measures the text in one area of a screenshot for the end-to-end cases.
// Prints shell assignments: glyph (height of the first glyph), stroke10 (stroke width in tenths of
// a pixel), ink and shade (pixel counts) and the ink's box (left top right bottom, within the area).

#include "TextInk.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc != 6) {
        std::fputs("usage: ink-measure PNG X Y W H\n", stderr);
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "ink-measure: cannot read %s\n", argv[1]);
        return 1;
    }
    const QRect area(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    const TextInk ink = measureTextInk(image, area);
    const QRect box = ink.inkBox.translated(-area.topLeft());
    std::printf("glyph=%d stroke10=%d ink=%d shade=%d left=%d top=%d right=%d bottom=%d\n", ink.firstGlyphHeight,
                qRound(ink.strokeWidth * 10), ink.inkPixels, ink.shadePixels, box.left(), box.top(), box.right(),
                box.bottom());
    return 0;
}
