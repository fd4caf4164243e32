// The page image decoder on any bytes a server may send.

#include "FuzzSupport.h"

#include "viewer/ModPNG.h"

#include <QtEndian>

#include <zlib.h>

namespace
{

// Most mutations break a chunk's CRC, and libpng stops at the first bad CRC of a critical chunk.
// Running each input a second time with the CRCs set right lets the mutations reach the decoding
// behind it.
QByteArray withCrcsRepaired(QByteArray bytes)
{
    qsizetype at = 8;
    while (at + 12 <= bytes.size()) {
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at);
        if (qint64(length) > qint64(bytes.size() - at - 12)) {
            break;
        }
        const auto *typed = reinterpret_cast<const Bytef *>(bytes.constData() + at + 4);
        qToBigEndian<quint32>(quint32(crc32(0, typed, uInt(length) + 4)), bytes.data() + at + 8 + length);
        at += 12 + qsizetype(length);
    }
    return bytes;
}

// What IHDR declares; the decoder refuses a file that does not start with it.
struct Declared {
    QSize size;
    int depth = 0;
};

Declared declaredBy(const QByteArray &bytes)
{
    if (bytes.size() < 8 + 8 + 13) {
        return {};
    }
    const auto side = [&](qsizetype at) {
        return int(qMin<quint32>(qFromBigEndian<quint32>(bytes.constData() + at), 1u << 30));
    };
    return {QSize(side(16), side(20)), quint8(bytes.at(24))};
}

void decode(const QByteArray &bytes)
{
    const QImage image = decodePagePng(bytes, QStringLiteral("fuzz"));
    if (image.isNull()) {
        return;
    }
    const Declared declared = declaredBy(bytes);
    FUZZ_REQUIRE(image.size() == declared.size, "the picture differs from the size IHDR declares");
    FUZZ_REQUIRE(image.width() <= kMaxPictureSide && image.height() <= kMaxPictureSide,
                 "accepted picture beyond the side bound");
    FUZZ_REQUIRE(qint64(image.width()) * image.height() <= kMaxPicturePixels,
                 "accepted picture beyond the pixel bound");
    FUZZ_REQUIRE(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32,
                 "the picture is not 8-bit RGB(A)");

    // Qt's reader is laxer, so what we decode it must decode too, to the same pixels. (Not at 16
    // bits: Qt 6.4 draws 16-bit RGB with a transparent colour wrongly, and rounds differently.)
    if (declared.depth > 8) {
        return;
    }
    const QImage qt = QImage::fromData(bytes, "png");
    FUZZ_REQUIRE(!qt.isNull(), "decoded a file that Qt's reader refuses");
    FUZZ_REQUIRE(qt.size() == image.size(), "Qt's reader gives another size");
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb ours = image.pixel(x, y);
            const QRgb theirs = qt.pixel(x, y);
            // Qt blanks the colour of a pixel that is fully transparent.
            FUZZ_REQUIRE(qAlpha(ours) == qAlpha(theirs) && (qAlpha(ours) == 0 || ours == theirs),
                         "a pixel differs from Qt's reading");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    decode(bytes);
    const QByteArray repaired = withCrcsRepaired(bytes);
    if (repaired != bytes) {
        decode(repaired);
    }
    return 0;
}
