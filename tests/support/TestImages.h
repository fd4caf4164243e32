#pragma once

#include <QByteArray>
#include <QImage>

// A true-colour PNG of noise, so it does not compress below the size thresholds.
QImage noiseImage(int width, int height, quint32 seed);
QByteArray pngBytes(const QImage &image);
// A PNG of at least `minimumSize` bytes (noise grows until it is big enough).
QByteArray pagePng(quint32 seed, qint64 minimumSize = 5000);
// `size` bytes that are no image at all.
QByteArray junkBytes(qint64 size, char fill = 'x');
