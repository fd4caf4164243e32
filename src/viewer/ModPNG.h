#pragma once

#include "viewer/PngCheck.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// A page image file larger than this is refused unread; the download is capped well below it.
inline constexpr qint64 kMaxPageFileBytes = 16 * 1024 * 1024;

// Decode the PNG file at `path`. Returns a null image for anything that is not a complete,
// sanely sized PNG (other formats are refused even when Qt could read them).
QImage LoadPNGPicture(const QString &path);

// The same for bytes already in memory; `what` names them in log lines.
QImage decodePagePng(QByteArray bytes, const QString &what);
