#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>
#include <QString>

// Largest page picture we agree to decode. Real pages are 360 x 400 (144,000 pixels) in a palette;
// these bounds still admit a page drawn five times as large each way. A picture of 16-bit samples
// counts each pixel twice, since Qt builds it at twice the bytes: the largest picture Qt is asked
// for is 16 MiB whatever the file.
inline constexpr int kMaxPictureSide = 4096;
inline constexpr qint64 kMaxPicturePixels = qint64(2048) * 2048;

struct PngCheck {
    // The file reduced to the chunks that decide its pixels and their colour space (IHDR, PLTE,
    // tRNS, gAMA, cHRM, sRGB, IDAT, IEND), ready for Qt's reader; empty when the file is refused.
    QByteArray png;
    QSize size;      // as IHDR declares it
    QString refusal; // why the file is refused; empty when it is accepted
    bool accepted() const { return refusal.isEmpty(); }
};

// Checks a PNG file held in memory before any decoder sees it: the signature, IHDR first and
// sane, every chunk inside the bytes that remain, the picture within the bounds above, the IDAT
// chunks in one run, and an image stream that inflates to exactly the bytes its rows need (the
// inflating stops as soon as it goes past them). Text, embedded colour profiles and the other
// ancillary chunks are left out of the result: the pixels do not depend on them, and their
// compressed payloads are one more way to make a decoder spend memory and time.
PngCheck checkPagePng(QByteArrayView bytes);

// The bytes of image data (filter bytes included) that a picture of this shape needs, or -1 for a
// shape PNG does not allow.
qint64 pngImageDataSize(quint32 width, quint32 height, int bitDepth, int colourType, bool interlaced);
