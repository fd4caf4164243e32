#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// A page image file larger than this is refused unread; the download is capped well below it.
inline constexpr qint64 kMaxPageFileBytes = 16 * 1024 * 1024;

// Largest page picture we agree to decode. Real pages are 360 x 400 (144,000 pixels) in a palette;
// these bounds still admit a page drawn five times as large each way. Every picture is built at
// 4 bytes a pixel whatever its samples, so the largest costs 16 MiB.
inline constexpr int kMaxPictureSide = 4096;
inline constexpr qint64 kMaxPicturePixels = qint64(2048) * 2048;

// Decode the PNG file at `path`. Returns a null image for anything that is not a complete,
// sanely sized PNG (other formats are refused even when Qt could read them). The picture is
// Format_RGB32 when the file has no transparency, else Format_ARGB32, at 8 bits a sample.
QImage LoadPNGPicture(const QString &path);

// A page's bytes decoded as they arrive, on the download's thread, before the load writes them to
// the page image file. Loading the file then takes this picture where the file holds exactly these
// bytes, and decodes the file as above where it does not or where the picture was refused.
struct DecodedAhead {
    QByteArray bytes;
    QImage picture;
};
DecodedAhead decodeAhead(QByteArray bytes);
QImage LoadPNGPicture(const QString &path, const DecodedAhead &ahead);

// The same for bytes already in memory; `what` names them in log lines.
QImage decodePagePng(QByteArray bytes, const QString &what);
