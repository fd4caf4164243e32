#include "TestImages.h"
#include "WindowFixture.h"
#include "reader/Reader.h"
#include "windows/PictureBox.h"

#include <QTest>

// The page on a screen scaled by 1.5 (this test runs with QT_SCALE_FACTOR=1.5): a whole number of
// screen pixels for every page pixel, never some one wide and some two.
class ReaderScaleTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pagePixels_areWholeBlocksOfScreenPixels_data();
    void pagePixels_areWholeBlocksOfScreenPixels();
};

void ReaderScaleTest::pagePixels_areWholeBlocksOfScreenPixels_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("block");
    QTest::newRow("x1: 1.5 cut down to 1") << 1 << 1;
    QTest::newRow("x2: 3") << 2 << 3;
    QTest::newRow("x3: 4.5 cut down to 4") << 3 << 4;
}

void ReaderScaleTest::pagePixels_areWholeBlocksOfScreenPixels()
{
    QFETCH(int, zoom);
    QFETCH(int, block);
    WindowFixture f;
    formpagiscopo &window = f.openShown();
    window.reader().setZoom(zoom);
    PictureBox *picture = window.Picture1;
    QCOMPARE(picture->devicePixelRatioF(), 1.5);
    QCOMPARE(picture->devicePixelsPerPicturePixel(), block);

    const QImage page = QImage::fromData(pagePng(100)).convertToFormat(QImage::Format_RGB32);
    QImage shot = picture->grab().toImage().convertToFormat(QImage::Format_RGB32);
    shot.setDevicePixelRatio(1);
    // The border is 2 pixels of the window, 3 of the screen.
    const QImage expected = page.scaled(page.size() * block, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QCOMPARE(shot.copy(QRect(QPoint(3, 3), expected.size())), expected);
}

QTEST_MAIN(ReaderScaleTest)
#include "tst_readerscale.moc"
