#include "TestImages.h"
#include "viewer/ModPNG.h"

#include <QBuffer>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <zlib.h>

namespace
{

QByteArray pngChunk(const char *type, const QByteArray &data)
{
    QByteArray chunk;
    QByteArray length(4, 0);
    qToBigEndian<quint32>(quint32(data.size()), length.data());
    chunk += length;
    const QByteArray typed = QByteArray(type) + data;
    chunk += typed;
    QByteArray crc(4, 0);
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef *>(typed.constData()), uInt(typed.size()))),
                          crc.data());
    chunk += crc;
    return chunk;
}

// A well-formed PNG head that declares a huge image; decoding it would need gigabytes.
QByteArray hugePngHead(quint32 width, quint32 height)
{
    QByteArray header(13, 0);
    qToBigEndian<quint32>(width, header.data());
    qToBigEndian<quint32>(height, header.data() + 4);
    header[8] = 8; // bit depth
    header[9] = 2; // true colour
    QByteArray png = QByteArray::fromHex("89504e470d0a1a0a");
    png += pngChunk("IHDR", header);
    QByteArray idat = QByteArray::fromHex("789c"); // a zlib stream that starts and never ends
    png += pngChunk("IDAT", idat + QByteArray(64, 0));
    png += pngChunk("IEND", {});
    return png;
}

} // namespace

class PngPictureTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }
    void validPng_givesExactlyItsPixels_data();
    void validPng_givesExactlyItsPixels();
    void notAPicture_givesNothing_data();
    void notAPicture_givesNothing();
    void hugeDeclaredSize_isRefusedBeforeDecoding();
    void missingFile_givesNothing();

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
    QByteArray html = "<!DOCTYPE html><html><head><title>404</title></head><body>";
    while (html.size() < 6000) {
        html += "<p>La pagina richiesta non esiste.</p>";
    }
    html += "</body></html>";
    QTest::newRow("HTML error document") << html;

    const QByteArray png = pngBytes(noiseImage(60, 60, 3));
    QTest::newRow("truncated PNG") << png.left(png.size() / 2);

    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    noiseImage(60, 60, 5).save(&buffer, "JPEG");
    QTest::newRow("JPEG under a .png name") << jpeg;
    QTest::newRow("empty") << QByteArray();
}

void PngPictureTest::notAPicture_givesNothing()
{
    QFETCH(QByteArray, bytes);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("page image .*")));
    QVERIFY(LoadPNGPicture(write(bytes)).isNull());
}

void PngPictureTest::hugeDeclaredSize_isRefusedBeforeDecoding()
{
    // The refusal must come from the size check, not from a failed multi-gigabyte allocation.
    QImageReader::setAllocationLimit(0);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("declares QSize\\(30000, 30000\\)")));
    QVERIFY(LoadPNGPicture(write(hugePngHead(30000, 30000))).isNull());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("declares QSize\\(100000, 10\\)")));
    QVERIFY(LoadPNGPicture(write(hugePngHead(100000, 10))).isNull());
}

void PngPictureTest::missingFile_givesNothing()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("page image .*")));
    QVERIFY(LoadPNGPicture(m_dir.filePath(QStringLiteral("nothing-here.png"))).isNull());
}

QTEST_GUILESS_MAIN(PngPictureTest)
#include "tst_pngpicture.moc"
