#include "viewer/PngCheck.h"

#include <QtEndian>

#include <zlib.h>

#include <array>
#include <cstring>
#include <memory>

namespace
{

constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
constexpr qsizetype kSignatureSize = 8;
constexpr qsizetype kChunkOverhead = 12; // length, type, CRC

quint32 readBigEndian32(const char *p)
{
    return qFromBigEndian<quint32>(p);
}

bool isChunkType(const char *type)
{
    for (int i = 0; i < 4; ++i) {
        const char c = type[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
            return false;
        }
    }
    return true;
}

int channelsOf(int colourType)
{
    switch (colourType) {
    case 0: // grey
    case 3: // palette
        return 1;
    case 4: // grey and alpha
        return 2;
    case 2: // RGB
        return 3;
    case 6: // RGBA
        return 4;
    default:
        return 0;
    }
}

bool depthAllowed(int colourType, int depth)
{
    switch (colourType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

// Inflates the image stream chunk by chunk into a small scratch buffer, counting the output and
// giving up as soon as it passes what the rows need, so a bomb costs no more than a valid file.
class CappedInflater
{
public:
    explicit CappedInflater(qint64 limit) : m_limit(limit)
    {
        std::memset(&m_stream, 0, sizeof m_stream);
        m_ready = inflateInit(&m_stream) == Z_OK;
        // The decoder that reads the rows after us checks the Adler-32 sum; here we only count bytes,
        // and leaving the sum out nearly halves what this pass costs.
        if (m_ready) {
            inflateValidate(&m_stream, 0);
        }
    }
    ~CappedInflater()
    {
        if (m_ready) {
            inflateEnd(&m_stream);
        }
    }
    CappedInflater(const CappedInflater &) = delete;
    CappedInflater &operator=(const CappedInflater &) = delete;

    // Returns an empty string while all is well, else why the stream is refused.
    QString feed(const char *data, quint32 size)
    {
        if (!m_ready) {
            return QStringLiteral("cannot start zlib");
        }
        if (m_ended) {
            return {}; // bytes after the end of the stream: decoders ignore them, and so do we
        }
        m_stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
        m_stream.avail_in = size;
        while (m_stream.avail_in > 0) {
            const int result = inflateOnce();
            if (m_produced > m_limit) {
                return overflow();
            }
            if (m_ended) {
                return {};
            }
            if (result == Z_BUF_ERROR && m_stream.avail_out != 0) {
                break; // wants more input
            }
            if (result != Z_OK && result != Z_BUF_ERROR) {
                return QStringLiteral("the image data is not a valid zlib stream (%1)")
                    .arg(QLatin1String(m_stream.msg ? m_stream.msg : "error"));
            }
        }
        return {};
    }

    // After the last IDAT chunk: the stream must have ended with exactly the rows' bytes.
    QString finish()
    {
        // zlib may hold output back until it is asked again with no input.
        while (!m_ended) {
            m_stream.next_in = nullptr;
            m_stream.avail_in = 0;
            const int result = inflateOnce();
            if (m_produced > m_limit) {
                return overflow();
            }
            if (result != Z_OK || m_stream.avail_out != 0) {
                break;
            }
        }
        if (!m_ended) {
            return QStringLiteral("the image data ends early (%1 of %2 bytes)").arg(m_produced).arg(m_limit);
        }
        if (m_produced != m_limit) {
            return QStringLiteral("the image data holds %1 bytes where its rows need %2").arg(m_produced).arg(m_limit);
        }
        return {};
    }

private:
    // One call of inflate into the scratch buffer, counting what came out.
    int inflateOnce()
    {
        m_stream.next_out = m_scratch.data();
        m_stream.avail_out = uInt(m_scratch.size());
        const int result = inflate(&m_stream, Z_NO_FLUSH);
        m_produced += qint64(m_scratch.size() - m_stream.avail_out);
        m_ended = m_ended || result == Z_STREAM_END;
        return result;
    }

    QString overflow() const
    {
        return QStringLiteral("the image data inflates to more than the %1 bytes its rows need").arg(m_limit);
    }

    z_stream m_stream;
    std::array<Bytef, 64 * 1024> m_scratch; // written by zlib before it is read
    qint64 m_limit = 0;
    qint64 m_produced = 0;
    bool m_ready = false;
    bool m_ended = false;
};

PngCheck refuse(const QString &why)
{
    PngCheck check;
    check.refusal = why;
    return check;
}

} // namespace

qint64 pngImageDataSize(quint32 width, quint32 height, int bitDepth, int colourType, bool interlaced)
{
    const int channels = channelsOf(colourType);
    if (channels == 0 || !depthAllowed(colourType, bitDepth) || width == 0 || height == 0) {
        return -1;
    }
    const qint64 bitsPerPixel = qint64(channels) * bitDepth;
    const auto rowsSize = [bitsPerPixel](qint64 w, qint64 h) {
        if (w <= 0 || h <= 0) {
            return qint64(0);
        }
        return h * (1 + (w * bitsPerPixel + 7) / 8);
    };
    if (!interlaced) {
        return rowsSize(width, height);
    }
    // Adam7: each pass is a sub-picture of its own, with its own filter bytes.
    struct Pass {
        int x0, y0, dx, dy;
    };
    static constexpr Pass passes[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                      {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    qint64 total = 0;
    for (const Pass &p : passes) {
        const qint64 w = (qint64(width) - p.x0 + p.dx - 1) / p.dx;
        const qint64 h = (qint64(height) - p.y0 + p.dy - 1) / p.dy;
        total += rowsSize(w, h);
    }
    return total;
}

PngCheck checkPagePng(QByteArrayView bytes)
{
    if (bytes.size() < kSignatureSize || std::memcmp(bytes.data(), kSignature, kSignatureSize) != 0) {
        return refuse(QStringLiteral("no PNG signature"));
    }

    PngCheck check;
    check.png.reserve(bytes.size());
    check.png.append(bytes.data(), kSignatureSize);

    std::unique_ptr<CappedInflater> inflater;
    bool seenIhdr = false;
    bool seenIdat = false;
    bool idatRunOver = false;
    bool seenIend = false;
    qsizetype at = kSignatureSize;
    while (!seenIend) {
        const qsizetype remaining = bytes.size() - at;
        if (remaining == 0) {
            return refuse(QStringLiteral("the file ends without an IEND chunk"));
        }
        if (remaining < kChunkOverhead) {
            return refuse(QStringLiteral("the file ends inside a chunk header at byte %1").arg(at));
        }
        const char *chunk = bytes.data() + at;
        const quint32 length = readBigEndian32(chunk);
        const char *type = chunk + 4;
        const char *data = chunk + 8;
        if (qint64(length) > qint64(remaining) - kChunkOverhead) {
            return refuse(QStringLiteral("a chunk at byte %1 claims %2 bytes where only %3 remain")
                              .arg(at)
                              .arg(length)
                              .arg(remaining - kChunkOverhead));
        }
        if (!isChunkType(type)) {
            return refuse(QStringLiteral("a chunk at byte %1 has no valid type").arg(at));
        }
        const QByteArrayView name(type, 4);
        const qsizetype chunkSize = kChunkOverhead + qsizetype(length);
        at += chunkSize;

        if (!seenIhdr) {
            if (name != "IHDR" || length != 13) {
                return refuse(QStringLiteral("the first chunk is not a 13-byte IHDR"));
            }
            seenIhdr = true;
            const quint32 width = readBigEndian32(data);
            const quint32 height = readBigEndian32(data + 4);
            const int depth = quint8(data[8]);
            const int colourType = quint8(data[9]);
            const int compression = quint8(data[10]);
            const int filter = quint8(data[11]);
            const int interlace = quint8(data[12]);
            const qint64 pixelBound = depth == 16 ? kMaxPicturePixels / 2 : kMaxPicturePixels;
            if (width == 0 || height == 0 || width > quint32(kMaxPictureSide) || height > quint32(kMaxPictureSide) ||
                qint64(width) * height > pixelBound) {
                return refuse(QStringLiteral("the picture is %1 x %2 pixels at %3 bits, beyond the bounds of a page "
                                             "(%4 on a side, %5 pixels)")
                                  .arg(width)
                                  .arg(height)
                                  .arg(depth)
                                  .arg(kMaxPictureSide)
                                  .arg(pixelBound));
            }
            if (compression != 0 || filter != 0 || interlace > 1) {
                return refuse(QStringLiteral("IHDR names an unknown compression, filter or interlace method"));
            }
            const qint64 dataSize = pngImageDataSize(width, height, depth, colourType, interlace == 1);
            if (dataSize < 0) {
                return refuse(QStringLiteral("IHDR names colour type %1 with bit depth %2, which PNG does not allow")
                                  .arg(colourType)
                                  .arg(depth));
            }
            check.size = QSize(int(width), int(height));
            inflater = std::make_unique<CappedInflater>(dataSize);
            check.png.append(chunk, chunkSize);
            continue;
        }

        if (name == "IDAT") {
            if (idatRunOver) {
                return refuse(QStringLiteral("the IDAT chunks are not in one run"));
            }
            seenIdat = true;
            const QString why = inflater->feed(data, length);
            if (!why.isEmpty()) {
                return refuse(why);
            }
            check.png.append(chunk, chunkSize);
            continue;
        }
        if (seenIdat) {
            idatRunOver = true;
        }
        if (name == "IEND") {
            seenIend = true;
            check.png.append(chunk, chunkSize);
        } else if (name == "PLTE" || name == "tRNS" || name == "gAMA" || name == "cHRM" || name == "sRGB") {
            check.png.append(chunk, chunkSize);
        } else if (name == "IHDR") {
            return refuse(QStringLiteral("a second IHDR chunk"));
        } else if ((type[0] & 0x20) == 0) {
            return refuse(QStringLiteral("an unknown critical chunk %1").arg(QLatin1String(type, 4)));
        }
        // Any other ancillary chunk is left out.
    }

    if (!seenIdat) {
        return refuse(QStringLiteral("no image data"));
    }
    if (const QString why = inflater->finish(); !why.isEmpty()) {
        return refuse(why);
    }
    return check;
}
