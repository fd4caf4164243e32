// The page image check and the decoding behind it, on any bytes a server may send.

#include "FuzzSupport.h"

#include "viewer/ModPNG.h"
#include "viewer/PngCheck.h"

#include <QtEndian>

#include <zlib.h>

namespace
{

// Most mutations break a chunk's CRC, and Qt's reader stops at the first bad CRC of a critical
// chunk. Running each input a second time with the CRCs set right lets the mutations reach the
// decoder behind the check.
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

void checkAndDecode(const QByteArray &bytes)
{
    const PngCheck check = checkPagePng(bytes);
    if (!check.accepted()) {
        FUZZ_REQUIRE(check.png.isEmpty(), "a refused file still gives bytes to decode");
        FUZZ_REQUIRE(decodePagePng(bytes, QStringLiteral("fuzz")).isNull(), "a refused file was decoded");
        return;
    }
    FUZZ_REQUIRE(check.size.width() > 0 && check.size.height() > 0, "accepted picture without a size");
    FUZZ_REQUIRE(check.size.width() <= kMaxPictureSide && check.size.height() <= kMaxPictureSide,
                 "accepted picture beyond the side bound");
    FUZZ_REQUIRE(qint64(check.size.width()) * check.size.height() <= kMaxPicturePixels,
                 "accepted picture beyond the pixel bound");
    FUZZ_REQUIRE(check.png.size() <= bytes.size(), "the checked file grew");
    FUZZ_REQUIRE(checkPagePng(check.png).png == check.png, "the checked file does not pass its own check");
    const QImage image = decodePagePng(bytes, QStringLiteral("fuzz"));
    if (!image.isNull()) {
        FUZZ_REQUIRE(image.size() == check.size, "decoded picture differs from the declared size");
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
    checkAndDecode(bytes);
    const QByteArray repaired = withCrcsRepaired(bytes);
    if (repaired != bytes) {
        checkAndDecode(repaired);
    }
    return 0;
}
