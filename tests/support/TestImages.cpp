#include "TestImages.h"

#include <QBuffer>
#include <QRandomGenerator>

QImage noiseImage(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = 0xff000000u | (random.generate() & 0xffffffu);
        }
    }
    return image;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray pagePng(quint32 seed, qint64 minimumSize)
{
    int side = 40;
    QByteArray bytes = pngBytes(noiseImage(side, side, seed));
    while (bytes.size() < minimumSize) {
        side += 20;
        bytes = pngBytes(noiseImage(side, side, seed));
    }
    return bytes;
}

QByteArray junkBytes(qint64 size, char fill)
{
    return QByteArray(qsizetype(size), fill);
}
