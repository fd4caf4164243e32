// The window's pictures decoded ahead on another thread, as start-up does, against the same
// pictures decoded when they are asked for.

#include "windows/Icons.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <thread>

namespace
{

QList<QImage> iconImages(const QIcon &icon)
{
    QList<QImage> images;
    for (const QSize &size : icon.availableSizes()) {
        images << icon.pixmap(size).toImage();
    }
    return images;
}

} // namespace

class IconsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void picturesDecodedAhead_areThoseDecodedWhenAsked();
};

void IconsTest::picturesDecodedAhead_areThoseDecodedWhenAsked()
{
    const QList<QImage> icon = iconImages(applicationIcon());
    const QImage previous = previousPagePicture().toImage();
    const QImage next = nextPagePicture().toImage();
    QCOMPARE(icon.size(), 6);
    QVERIFY(!previous.isNull() && !next.isNull());

    // Asked for while the other thread is still decoding: each waits for it and takes its picture.
    std::thread ahead(decodePicturesAhead);
    const QImage previousAhead = previousPagePicture().toImage();
    const QList<QImage> iconAhead = iconImages(applicationIcon());
    ahead.join();
    QCOMPARE(previousAhead, previous);
    QCOMPARE(iconAhead, icon);
    QCOMPARE(nextPagePicture().toImage(), next);

    // Each is taken once; asked for again, it is decoded anew, the same.
    QCOMPARE(iconImages(applicationIcon()), icon);
    QCOMPARE(previousPagePicture().toImage(), previous);
}

QTEST_MAIN(IconsTest)
#include "tst_icons.moc"
