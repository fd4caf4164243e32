#include "TestImages.h"
#include "viewer/ModPNG.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <zlib.h>

namespace
{

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, 0);
    qToBigEndian<quint32>(value, bytes.data());
    return bytes;
}

QByteArray pngChunk(const char *type, const QByteArray &data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    return bigEndian32(quint32(data.size())) + typed +
           bigEndian32(quint32(crc32(0, reinterpret_cast<const Bytef *>(typed.constData()), uInt(typed.size()))));
}

const QByteArray kSignature = QByteArray::fromHex("89504e470d0a1a0a");

QByteArray ihdr(quint32 width, quint32 height, int depth, int colourType, int interlace = 0)
{
    QByteArray header = bigEndian32(width) + bigEndian32(height);
    header += char(depth);
    header += char(colourType);
    header += char(0);
    header += char(0);
    header += char(interlace);
    return pngChunk("IHDR", header);
}

QByteArray zlibCompress(const QByteArray &raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    QByteArray out(qsizetype(size), 0);
    compress2(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(raw.constData()),
              uLong(raw.size()), 6);
    out.resize(qsizetype(size));
    return out;
}

// The rows of a picture as a PNG encoder lays them out before compression: per pass of the
// interlacing (one pass without it), per row a filter byte (all five kinds in turn) and the
// row's samples, random but for the filter bytes.
QByteArray rawRows(int width, int height, int depth, int channels, bool interlaced, quint32 seed)
{
    struct Pass {
        int x0, y0, dx, dy;
    };
    const QList<Pass> passes = interlaced ? QList<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                                        {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                                          : QList<Pass>{{0, 0, 1, 1}};
    QRandomGenerator random(seed);
    QByteArray raw;
    int row = 0;
    for (const Pass &p : passes) {
        const int w = width > p.x0 ? (width - p.x0 + p.dx - 1) / p.dx : 0;
        const int h = height > p.y0 ? (height - p.y0 + p.dy - 1) / p.dy : 0;
        if (w == 0 || h == 0) {
            continue;
        }
        const int rowBytes = (w * depth * channels + 7) / 8;
        for (int y = 0; y < h; ++y) {
            raw += char(row++ % 5);
            for (int i = 0; i < rowBytes; ++i) {
                raw += char(random.bounded(256));
            }
        }
    }
    return raw;
}

int channelsOf(int colourType)
{
    return colourType == 0 || colourType == 3 ? 1 : colourType == 4 ? 2 : colourType == 2 ? 3 : 4;
}

struct Shape {
    int width = 37;
    int height = 23;
    int depth = 8;
    int colourType = 2;
    bool interlaced = false;
};

// A complete PNG of random samples, with `beforeData` (ancillary chunks, PLTE, tRNS) placed
// between IHDR and the image data, which is split in three chunks or in chunks of `idatSize` bytes.
QByteArray randomPng(const Shape &s, const QByteArray &beforeData = {}, quint32 seed = 1, qsizetype idatSize = 0)
{
    QByteArray png =
        kSignature + ihdr(quint32(s.width), quint32(s.height), s.depth, s.colourType, s.interlaced ? 1 : 0);
    if (s.colourType == 3) {
        QByteArray palette;
        for (int i = 0; i < (1 << s.depth); ++i) {
            palette += char(i * 37);
            palette += char(255 - i);
            palette += char(i * 11);
        }
        png += pngChunk("PLTE", palette);
    }
    png += beforeData;
    const QByteArray z =
        zlibCompress(rawRows(s.width, s.height, s.depth, channelsOf(s.colourType), s.interlaced, seed));
    // Split the stream over several IDAT chunks, as encoders do for large pictures.
    const qsizetype step = idatSize > 0 ? idatSize : z.size() / 3 + 1;
    for (qsizetype at = 0; at < z.size(); at += step) {
        png += pngChunk("IDAT", z.mid(at, step));
    }
    return png + pngChunk("IEND", {});
}

// A well-formed PNG head that declares a huge image; decoding it would need gigabytes.
QByteArray hugePngHead(quint32 width, quint32 height, int depth = 8, int colourType = 2)
{
    QByteArray idat = QByteArray::fromHex("789c"); // a zlib stream that starts and never ends
    return kSignature + ihdr(width, height, depth, colourType) + pngChunk("IDAT", idat + QByteArray(64, 0)) +
           pngChunk("IEND", {});
}

// A zlib stream that inflates to `mebibytes` MiB of zeros from about a thousandth of that: one
// fully flushed block of a MiB of zeros, repeated (each such block stands on its own).
QByteArray zeroBomb(int mebibytes)
{
    z_stream stream{};
    deflateInit(&stream, 9);
    QByteArray zeros(1024 * 1024, 0);
    QByteArray out(64 * 1024, 0);
    const auto run = [&](int flush, qsizetype inputSize) {
        stream.next_in = reinterpret_cast<Bytef *>(zeros.data());
        stream.avail_in = uInt(inputSize);
        stream.next_out = reinterpret_cast<Bytef *>(out.data());
        stream.avail_out = uInt(out.size());
        deflate(&stream, flush);
        return out.left(out.size() - qsizetype(stream.avail_out));
    };
    QByteArray bomb = run(Z_FULL_FLUSH, zeros.size()); // zlib header and the first block
    const QByteArray block = run(Z_FULL_FLUSH, zeros.size());
    for (int i = 2; i < mebibytes; ++i) {
        bomb += block;
    }
    bomb += run(Z_FINISH, 0);
    deflateEnd(&stream);
    return bomb;
}

} // namespace

class PngPictureTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }
    void validPng_givesExactlyItsPixels_data();
    void validPng_givesExactlyItsPixels();
    void everyColourTypeDepthAndInterlacing_showsAsBefore_data();
    void everyColourTypeDepthAndInterlacing_showsAsBefore();
    void notAPicture_givesNothing_data();
    void notAPicture_givesNothing();
    void damagedOrHostileStructure_isRefused_data();
    void damagedOrHostileStructure_isRefused();
    void pictureBounds_data();
    void pictureBounds();
    void bytesAfterIend_areIgnored();
    void oversizedFile_isNotRead();
    void missingFile_givesNothing();
    void decodedAhead_isTakenOnlyForTheFilesOwnBytes();

private:
    QString write(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("imma.png"));
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        return path;
    }
    QTemporaryDir m_dir;
};

void PngPictureTest::validPng_givesExactlyItsPixels_data()
{
    QTest::addColumn<QImage>("image");

    QImage palette(37, 23, QImage::Format_Indexed8);
    palette.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0), qRgb(0, 0, 255),
                           qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)});
    for (int y = 0; y < palette.height(); ++y) {
        for (int x = 0; x < palette.width(); ++x) {
            palette.setPixel(x, y, uint((x * 3 + y) % 8));
        }
    }
    QTest::newRow("palette") << palette;
    QTest::newRow("true colour") << noiseImage(41, 29, 7);
}

void PngPictureTest::validPng_givesExactlyItsPixels()
{
    QFETCH(QImage, image);
    const QByteArray bytes = pngBytes(image);
    if (image.format() == QImage::Format_Indexed8) {
        QCOMPARE(bytes.mid(25, 1), QByteArray(1, 3)); // stored as a palette PNG indeed (colour type 3)
    }
    const QImage decoded = LoadPNGPicture(write(bytes));
    QCOMPARE(decoded.size(), image.size());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QCOMPARE(QColor(decoded.pixel(x, y)), QColor(image.pixel(x, y)));
        }
    }
}

void PngPictureTest::notAPicture_givesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("why");
    QByteArray html = "<!DOCTYPE html><html><head><title>404</title></head><body>";
    while (html.size() < 6000) {
        html += "<p>La pagina richiesta non esiste.</p>";
    }
    html += "</body></html>";
    QTest::newRow("HTML error document") << html << "no PNG signature";

    const QByteArray png = pngBytes(noiseImage(60, 60, 3));
    QTest::newRow("truncated PNG") << png.left(png.size() / 2) << "the file ends inside a chunk";

    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    noiseImage(60, 60, 5).save(&buffer, "JPEG");
    QTest::newRow("JPEG under a .png name") << jpeg << "no PNG signature";
    QTest::newRow("empty") << QByteArray() << "no PNG signature";

    // Every row is there and the stream is well formed, but its checksum says the data is damaged.
    QByteArray stream = zlibCompress(rawRows(60, 40, 8, 3, false, 7));
    stream[stream.size() - 1] = char(stream.at(stream.size() - 1) ^ 0x55);
    QTest::newRow("image data with a wrong Adler-32 sum")
        << kSignature + ihdr(60, 40, 8, 2) + pngChunk("IDAT", stream) + pngChunk("IEND", {})
        << "IDAT: incorrect data check";
}

void PngPictureTest::notAPicture_givesNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, why);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("page image .* refused: ") + why));
    QVERIFY(LoadPNGPicture(write(bytes)).isNull());
}

void PngPictureTest::everyColourTypeDepthAndInterlacing_showsAsBefore_data()
{
    QTest::addColumn<QByteArray>("png");
    const QList<std::pair<int, QList<int>>> depths = {
        {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    for (const auto &[colourType, list] : depths) {
        for (const int depth : list) {
            for (const bool interlaced : {false, true}) {
                const Shape shape{37, 23, depth, colourType, interlaced};
                QTest::addRow("type %d, %d bit%s", colourType, depth, interlaced ? ", interlaced" : "")
                    << randomPng(shape, {}, quint32(colourType * 100 + depth));
            }
        }
    }
    // Interlaced pictures so small that some passes are empty.
    QTest::newRow("1 x 1 interlaced") << randomPng({1, 1, 8, 2, true});
    QTest::newRow("3 x 9 interlaced") << randomPng({3, 9, 8, 6, true});
    QTest::newRow("9 x 2 interlaced palette") << randomPng({9, 2, 4, 3, true});
    // The image stream is cut off soon after the start of the last row; these must still get through.
    QTest::newRow("widest 16-bit RGBA of noise") << randomPng({4096, 3, 16, 6, false});
    QTest::newRow("widest 16-bit RGBA of noise, interlaced") << randomPng({4096, 3, 16, 6, true});
    QTest::newRow("image data in one-byte chunks") << randomPng({37, 23, 16, 6, true}, {}, 1, 1);
    QTest::newRow("grey with transparent level")
        << randomPng({37, 23, 8, 0}, pngChunk("tRNS", QByteArray::fromHex("0007")));
    // (Only 8 bits: Qt 6.4 decodes a 16-bit RGB picture with a transparent colour differently
    // from one run to the next; tst_pngsuite holds such pictures against another decoder.)
    QTest::newRow("RGB with transparent colour")
        << randomPng({37, 23, 8, 2}, pngChunk("tRNS", QByteArray::fromHex("001000200030")));
    QTest::newRow("palette with alpha") << randomPng({37, 23, 2, 3}, pngChunk("tRNS", QByteArray::fromHex("00407f")));
    // Text, gamma and colour space are skipped: the picture shows the samples as stored, as Qt's
    // reader gives them too.
    const QByteArray text = pngChunk("tEXt", QByteArray("Software\0teletext", 17)) +
                            pngChunk("zTXt", QByteArray("Comment\0\0", 9) + zlibCompress("pagina")) +
                            pngChunk("gAMA", bigEndian32(45455)) + pngChunk("pHYs", QByteArray(9, 1));
    QTest::newRow("text, gamma and resolution") << randomPng({37, 23, 8, 6}, text);
    QTest::newRow("sRGB") << randomPng({37, 23, 8, 2}, pngChunk("sRGB", QByteArray(1, 0)));
    QTest::newRow("an unknown ancillary chunk") << randomPng({37, 23, 8, 2}, pngChunk("prVt", QByteArray(100, 'x')));
}

void PngPictureTest::everyColourTypeDepthAndInterlacing_showsAsBefore()
{
    // "Before" is Qt's own reading of the file, taken to 8 bits a sample by rounding.
    QFETCH(QByteArray, png);
    const QImage expected = QImage::fromData(png, "png");
    QVERIFY(!expected.isNull());
    const QImage shown = LoadPNGPicture(write(png));
    QCOMPARE(shown.size(), expected.size());
    QCOMPARE(shown.hasAlphaChannel(), expected.hasAlphaChannel());
    const auto to8 = [](quint16 v) { return (int(v) * 255 + 32767) / 65535; };
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgba64 e = expected.pixelColor(x, y).rgba64();
            const QRgb s = shown.pixel(x, y);
            // Qt blanks the colour of a pixel that a transparent level makes invisible; we keep it.
            const bool colourShows = to8(e.alpha()) != 0;
            if (qAlpha(s) != to8(e.alpha()) ||
                (colourShows &&
                 (qRed(s) != to8(e.red()) || qGreen(s) != to8(e.green()) || qBlue(s) != to8(e.blue())))) {
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is #%3 where Qt reads #%4%5%6%7")
                                     .arg(x)
                                     .arg(y)
                                     .arg(s, 8, 16, QLatin1Char('0'))
                                     .arg(to8(e.alpha()), 2, 16, QLatin1Char('0'))
                                     .arg(to8(e.red()), 2, 16, QLatin1Char('0'))
                                     .arg(to8(e.green()), 2, 16, QLatin1Char('0'))
                                     .arg(to8(e.blue()), 2, 16, QLatin1Char('0'))));
            }
        }
    }
}

void PngPictureTest::damagedOrHostileStructure_isRefused_data()
{
    QTest::addColumn<QByteArray>("png");
    QTest::addColumn<QString>("why");
    const Shape page{360, 400, 8, 2};
    const QByteArray head = kSignature + ihdr(360, 400, 8, 2);
    const QByteArray valid = randomPng(page);
    const QByteArray rows = rawRows(360, 400, 8, 3, false, 5);
    const QByteArray end = pngChunk("IEND", {});

    // A few KiB whose text chunk claims 2 GiB: decoders allocate what a length claims.
    QTest::newRow("chunk longer than the file")
        << head + bigEndian32(0x7fff0000) + "zTXt" + QByteArray(6000, 'z') << "zTXt: chunk data is too large";
    QTest::newRow("chunk longer than PNG allows")
        << head + bigEndian32(0xffffffff) + "IDAT" + QByteArray(6000, 0) << "PNG unsigned integer out of range";
    QTest::newRow("cut inside the image data") << valid.left(valid.size() / 2) << "the file ends inside a chunk";
    QTest::newRow("cut inside a chunk header") << valid.left(valid.size() - 5) << "the file ends inside a chunk";
    QTest::newRow("no IEND") << valid.left(valid.size() - 12) << "the file ends inside a chunk";
    QTest::newRow("no signature") << valid.mid(8) << "no PNG signature";
    QTest::newRow("IHDR not first") << kSignature + pngChunk("tEXt", "a") + valid.mid(8) << "first chunk is not IHDR";
    QTest::newRow("short IHDR") << kSignature + pngChunk("IHDR", QByteArray(12, 1)) + end << "IHDR: invalid";
    QTest::newRow("second IHDR") << head + ihdr(1, 1, 8, 2) + valid.mid(33) << "IHDR: out of place";
    QTest::newRow("palette at 16 bits") << kSignature + ihdr(10, 10, 16, 3) + end
                                        << "Invalid color type/bit depth combination";
    QTest::newRow("colour type 5") << kSignature + ihdr(10, 10, 8, 5) + end << "Invalid color type";
    QTest::newRow("interlace method 2") << kSignature + ihdr(10, 10, 8, 2, 2) + end << "Unknown interlace method";
    QTest::newRow("zero width") << kSignature + ihdr(0, 10, 8, 2) + end << "Image width is zero";
    QTest::newRow("unknown critical chunk")
        << head + pngChunk("QUUX", "x") + valid.mid(33) << "QUUX: unhandled critical chunk";
    QTest::newRow("bad chunk type") << head + pngChunk("ID@T", "x") + valid.mid(33) << "invalid chunk type";
    QByteArray badCrc = valid;
    const qsizetype idat = valid.indexOf("IDAT");
    const qsizetype idatCrc = idat + 4 + qFromBigEndian<quint32>(valid.constData() + idat - 4);
    badCrc[idatCrc] = char(badCrc.at(idatCrc) ^ 1);
    QTest::newRow("image data with a wrong CRC") << badCrc << "IDAT: CRC error";
    QTest::newRow("no image data") << head + end << "IEND: out of place";
    const QByteArray stream = zlibCompress(rows);
    QTest::newRow("image data in two runs")
        << head + pngChunk("IDAT", stream.left(100)) + pngChunk("tEXt", "a") + pngChunk("IDAT", stream.mid(100)) + end
        << "Not enough image data";
    QTest::newRow("more image data after the picture")
        << head + pngChunk("IDAT", stream) + pngChunk("tEXt", "a") + pngChunk("IDAT", zlibCompress("x")) + end
        << "Too many IDATs found";
    QTest::newRow("not zlib") << head + pngChunk("IDAT", QByteArray(100, 'x')) + end << "IDAT: incorrect header check";
    QTest::newRow("one byte short") << head + pngChunk("IDAT", zlibCompress(rows.chopped(1))) + end
                                    << "Not enough image data";
    QTest::newRow("one byte too many") << head + pngChunk("IDAT", zlibCompress(rows + 'x')) + end
                                       << "IDAT: Too much image data";
    QTest::newRow("stream never ends") << head + pngChunk("IDAT", stream.chopped(8)) + end << "Not enough image data";
    // 2 MiB that inflate to 2 GiB: the inflating must stop at the rows' 432,400 bytes. In one chunk
    // it is refused for its length already; split as encoders split, it has to be inflated.
    const QByteArray bomb = zeroBomb(2048);
    QTest::newRow("image stream that inflates to gigabytes")
        << head + pngChunk("IDAT", bomb) + end << "IDAT: chunk data is too large";
    QByteArray splitBomb = head;
    for (qsizetype at = 0; at < bomb.size(); at += 8192) {
        splitBomb += pngChunk("IDAT", bomb.mid(at, 8192));
    }
    QTest::newRow("image stream that inflates to gigabytes, in small chunks")
        << splitBomb + end << "the image data goes on past its last row";
}

void PngPictureTest::damagedOrHostileStructure_isRefused()
{
    QFETCH(QByteArray, png);
    QFETCH(QString, why);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("page image .* refused: .*") +
                                                          QRegularExpression::escape(why)));
    QVERIFY(LoadPNGPicture(write(png)).isNull());
}

void PngPictureTest::pictureBounds_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("colourType");
    QTest::addColumn<QString>("refusal"); // empty when the picture is accepted
    const QString side = QStringLiteral("exceeds user limit");
    const QString pixels = QStringLiteral("beyond the bounds of a page");
    QTest::newRow("a real page") << 360 << 400 << 8 << 3 << QString();
    QTest::newRow("widest") << 4096 << 1 << 8 << 2 << QString();
    QTest::newRow("one too wide") << 4097 << 1 << 8 << 2 << side;
    QTest::newRow("tallest") << 1 << 4096 << 8 << 2 << QString();
    QTest::newRow("one too tall") << 1 << 4097 << 8 << 2 << side;
    QTest::newRow("most pixels, RGBA") << 2048 << 2048 << 8 << 6 << QString();
    QTest::newRow("a row too many") << 2048 << 2049 << 8 << 2 << pixels;
    // 16-bit samples come out at 8 bits, so they cost no more than any other picture.
    QTest::newRow("most pixels, 16-bit RGBA") << 2048 << 2048 << 16 << 6 << QString();
    QTest::newRow("16-bit, a row too many") << 2048 << 2049 << 16 << 0 << pixels;
    QTest::newRow("16-bit RGBA of 8 Mpixels") << 2896 << 2896 << 16 << 6 << pixels;
    QTest::newRow("30000 x 30000") << 30000 << 30000 << 8 << 2 << side;
    QTest::newRow("100000 x 10") << 100000 << 10 << 8 << 2 << side;
}

void PngPictureTest::pictureBounds()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, depth);
    QFETCH(int, colourType);
    QFETCH(QString, refusal);
    const bool accepted = refusal.isEmpty();
    QByteArray png;
    if (accepted) {
        // Rows of zeros: complete image data that stays small however large the picture.
        const qsizetype rowBytes = 1 + (qsizetype(width) * depth * channelsOf(colourType) + 7) / 8;
        QByteArray palette;
        if (colourType == 3) {
            palette = pngChunk("PLTE", QByteArray(3 * 256, 'p'));
        }
        png = kSignature + ihdr(quint32(width), quint32(height), depth, colourType) + palette +
              pngChunk("IDAT", zlibCompress(QByteArray(rowBytes * height, 0))) + pngChunk("IEND", {});
    } else {
        png = hugePngHead(quint32(width), quint32(height), depth, colourType);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("page image .* refused: .*") + refusal));
    }
    const QImage image = LoadPNGPicture(write(png));
    QCOMPARE(!image.isNull(), accepted);
    if (accepted) {
        QCOMPARE(image.size(), QSize(width, height));
    }
}

void PngPictureTest::bytesAfterIend_areIgnored()
{
    const QImage source = noiseImage(41, 29, 3);
    const QImage shown = LoadPNGPicture(write(pngBytes(source) + QByteArray(3000, '\xff')));
    QCOMPARE(shown.convertToFormat(source.format()), source);
}

void PngPictureTest::oversizedFile_isNotRead()
{
    QByteArray bytes = pngBytes(noiseImage(41, 29, 3));
    bytes += QByteArray(kMaxPageFileBytes, 0);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("more than any page")));
    QVERIFY(LoadPNGPicture(write(bytes)).isNull());
}

void PngPictureTest::missingFile_givesNothing()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("page image .*")));
    QVERIFY(LoadPNGPicture(m_dir.filePath(QStringLiteral("nothing-here.png"))).isNull());
}

void PngPictureTest::decodedAhead_isTakenOnlyForTheFilesOwnBytes()
{
    const QImage first = noiseImage(41, 29, 3);
    const QImage second = noiseImage(41, 29, 4);
    const QByteArray firstBytes = pngBytes(first);

    // Decoded ahead from bytes in memory, silently, with the same pixels as the file's decode.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    const DecodedAhead ahead = decodeAhead(firstBytes);
    QCOMPARE(ahead.bytes, firstBytes);
    QCOMPARE(ahead.picture, LoadPNGPicture(write(firstBytes)));
    QCOMPARE(LoadPNGPicture(write(firstBytes), ahead), ahead.picture);

    // The file holds other bytes than those decoded ahead: the file's own picture is shown.
    const QImage shown = LoadPNGPicture(write(pngBytes(second)), ahead);
    QCOMPARE(shown.convertToFormat(second.format()), second);

    // Bytes refused ahead say nothing there; loading the file refuses them again, and says so.
    const QByteArray damaged = firstBytes.left(firstBytes.size() / 2);
    const DecodedAhead refused = decodeAhead(damaged);
    QVERIFY(refused.picture.isNull());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("page image .* refused: .*")));
    QVERIFY(LoadPNGPicture(write(damaged), refused).isNull());
}

QTEST_GUILESS_MAIN(PngPictureTest)
#include "tst_pngpicture.moc"
