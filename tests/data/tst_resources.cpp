// The icons and pictures that the windows load from the Qt resource. This program links
// pagiscopo_core like the real ones and never calls Q_INIT_RESOURCE, so it also shows that
// linking the library is enough for the resources to be there.

#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTest>
#include <QXmlStreamReader>

class ResourcesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyPicture_loadsAtItsSize_data();
    void everyPicture_loadsAtItsSize();
    void scalableIcon_isASquareSvgDocument();
    void arrowPictures_areRaisedSquaresPointingTheirWay_data();
    void arrowPictures_areRaisedSquaresPointingTheirWay();
};

void ResourcesTest::everyPicture_loadsAtItsSize_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    // The window's icon; the larger sizes are only installed, for the menu and software centres.
    for (const int side : {16, 22, 24, 32, 48, 64}) {
        const QString path = QStringLiteral(":/icons/pagiscopo-%1.png").arg(side);
        QTest::newRow(qPrintable(path)) << path << QSize(side, side);
    }
    QTest::newRow(":/icons/star-16.png") << QStringLiteral(":/icons/star-16.png") << QSize(16, 16);
    QTest::newRow(":/icons/star-32.png") << QStringLiteral(":/icons/star-32.png") << QSize(32, 32);
    QTest::newRow(":/pictures/indietro.png") << QStringLiteral(":/pictures/indietro.png") << QSize(22, 22);
    QTest::newRow(":/pictures/avanti.png") << QStringLiteral(":/pictures/avanti.png") << QSize(22, 22);
}

void ResourcesTest::everyPicture_loadsAtItsSize()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
    // Not a blank square: an empty or single-colour render would pass the size check alone.
    const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
    bool varies = false;
    for (int y = 0; y < image.height() && !varies; ++y) {
        for (int x = 0; x < image.width() && !varies; ++x) {
            varies = image.pixel(x, y) != centre;
        }
    }
    QVERIFY(varies);
}

void ResourcesTest::scalableIcon_isASquareSvgDocument()
{
    QFile file(QStringLiteral(":/icons/pagiscopo.svg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name(), QLatin1String("svg"));
    QCOMPARE(xml.namespaceUri(), QLatin1String("http://www.w3.org/2000/svg"));
    const QXmlStreamAttributes attributes = xml.attributes();
    QCOMPARE(attributes.value(QLatin1String("width")), QLatin1String("256"));
    QCOMPARE(attributes.value(QLatin1String("height")), QLatin1String("256"));
    QCOMPARE(attributes.value(QLatin1String("viewBox")), QLatin1String("0 0 256 256"));
    while (!xml.atEnd()) {
        xml.readNext();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
}

void ResourcesTest::arrowPictures_areRaisedSquaresPointingTheirWay_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("tipColumn");
    QTest::addColumn<int>("baseColumn");
    QTest::newRow("indietro points left") << QStringLiteral(":/pictures/indietro.png") << 7 << 14;
    QTest::newRow("avanti points right") << QStringLiteral(":/pictures/avanti.png") << 14 << 7;
}

void ResourcesTest::arrowPictures_areRaisedSquaresPointingTheirWay()
{
    QFETCH(QString, path);
    QFETCH(int, tipColumn);
    QFETCH(int, baseColumn);
    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(22, 22));

    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb face = qRgb(0xc0, 0xc0, 0xc0);
    // Raised: light outer and inner edges at the top and left, dark ones at the bottom and right.
    QCOMPARE(image.pixel(0, 0), white);
    QCOMPARE(image.pixel(20, 0), white);
    QCOMPARE(image.pixel(0, 20), white);
    QCOMPARE(image.pixel(1, 1), qRgb(0xdf, 0xdf, 0xdf));
    QCOMPARE(image.pixel(21, 0), black);
    QCOMPARE(image.pixel(0, 21), black);
    QCOMPARE(image.pixel(21, 21), black);
    QCOMPARE(image.pixel(20, 20), qRgb(0x80, 0x80, 0x80));
    QCOMPARE(image.pixel(3, 3), face);
    QCOMPARE(image.pixel(18, 18), face);

    // The triangle: a two-pixel tip on the middle rows, a sixteen-pixel base, face beyond both.
    QCOMPARE(image.pixel(tipColumn, 10), black);
    QCOMPARE(image.pixel(tipColumn, 11), black);
    QCOMPARE(image.pixel(tipColumn, 9), face);
    QCOMPARE(image.pixel(tipColumn, 12), face);
    const int beyondTip = tipColumn < baseColumn ? tipColumn - 1 : tipColumn + 1;
    QCOMPARE(image.pixel(beyondTip, 10), face);
    for (int y = 3; y <= 18; ++y) {
        QCOMPARE(image.pixel(baseColumn, y), black);
    }
    QCOMPARE(image.pixel(baseColumn, 2), face);
    QCOMPARE(image.pixel(baseColumn, 19), face);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QCOMPARE(qAlpha(image.pixel(x, y)), 255);
        }
    }
}

QTEST_GUILESS_MAIN(ResourcesTest)
#include "tst_resources.moc"
