#pragma once

#include <QImage>
#include <QString>

// Largest page picture we agree to decode. Real pages are 360 x 400; anything near this bound is
// a broken or hostile file, and refusing it before decoding keeps memory in check.
inline constexpr int kMaxPictureSide = 8192;
inline constexpr qint64 kMaxPicturePixels = qint64(4096) * 4096;

// Decode the PNG file at `path`. Returns a null image for anything that is not a complete,
// sanely sized PNG (other formats are refused even when Qt could read them).
QImage LoadPNGPicture(const QString &path);
