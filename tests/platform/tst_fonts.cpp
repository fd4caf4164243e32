#include "TextInk.h"
#include "platform/Fonts.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The faces the layouts name, measured from what they draw: capitals of the size asked for, bold
// strokes wider than regular ones, MS Sans Serif's own bitmaps where it has them.
class FontsTest : public QObject
{
    Q_OBJECT

public:
    // Every choice made here and now, none taken from an earlier run.
    FontsTest() { qputenv("XDG_CACHE_HOME", m_cache.path().toLocal8Bit()); }

private Q_SLOTS:
    // First: the others make the bold strikes too.
    void boldDrawnAsRegular_isSaidOnlyOfTheStrikesAndOnlyWhileTrue();
    void layoutFonts_drawAtTheirSizeAndWeight_data();
    void layoutFonts_drawAtTheirSizeAndWeight();
    void msSansSerif_growsWithItsPointSize();
    void msSansSerif_isBitmapsWhereItHasThemAndSmoothElsewhere_data();
    void msSansSerif_isBitmapsWhereItHasThemAndSmoothElsewhere();
    void microsoftSansSerif_drawsAsMsSansSerif();
    void unknownFace_drawsAtItsSizeAndIsReported();

private:
    static QImage drawn(const QFont &font, const QString &text);

    QTemporaryDir m_cache;
};

QImage FontsTest::drawn(const QFont &font, const QString &text)
{
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text) + 8, metrics.height() + 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(4, 4 + metrics.ascent(), text);
    return image;
}

void FontsTest::boldDrawnAsRegular_isSaidOnlyOfTheStrikesAndOnlyWhileTrue()
{
    if (!QFile::exists(QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf"))) {
        QSKIP("fonts-wine's MS Sans Serif is not installed: there are no strikes");
    }
    const QFont regular = designFont(QStringLiteral("MS Sans Serif"), 8.25, false);
    QFont bold = regular;
    bold.setBold(true);
    QCOMPARE(boldDrawnAsRegular(regular), std::nullopt);
    QCOMPARE(boldDrawnAsRegular(bold), std::optional<bool>(true));
    // What it says is what a drawing finds.
    const QString text = QStringLiteral("Hm <> Sotto-pagina 0123456789");
    QCOMPARE(drawn(bold, text), drawn(regular, text));

    // Other faces are left to a drawing.
    QFont other(QStringLiteral("DejaVu Sans"));
    other.setPixelSize(11);
    other.setBold(true);
    QCOMPARE(boldDrawnAsRegular(other), std::nullopt);
    QFont larger = bold;
    larger.setPixelSize(13); // no strike of this size made yet
    QCOMPARE(boldDrawnAsRegular(larger), std::nullopt);

    // Once the bold strike of the size is made, the bold draws from it.
    designFont(QStringLiteral("MS Sans Serif"), 8.25, true);
    QCOMPARE(boldDrawnAsRegular(bold), std::nullopt);
}

void FontsTest::layoutFonts_drawAtTheirSizeAndWeight_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::newRow("window font") << "MS Sans Serif" << 8.25 << false;
    QTest::newRow("bold buttons, e-mail") << "MS Sans Serif" << 8.25 << true;
    QTest::newRow("caption box") << "MS Sans Serif" << 9.75 << true;
    QTest::newRow("dialog labels") << "MS Sans Serif" << 12.0 << true;
    QTest::newRow("number boxes") << "MS Sans Serif" << 13.5 << true;
    QTest::newRow("link") << "Microsoft Sans Serif" << 9.75 << true;
    QTest::newRow("page box") << "Tahoma" << 15.75 << true;
    QTest::newRow("author") << "Tw Cen MT" << 14.25 << false;
}

void FontsTest::layoutFonts_drawAtTheirSizeAndWeight()
{
    QFETCH(QString, family);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    const QFont font = designFont(family, points, bold);
    const int em = designPixels(points);
    // Capitals of a sans face stand about three quarters of the em high.
    const int capital = measureTextInk(drawn(font, QStringLiteral("H"))).firstGlyphHeight;
    QVERIFY2(capital * 100 >= em * 60 && capital * 100 <= em * 85,
             qPrintable(QStringLiteral("a %1-pixel em draws capitals %2 pixels high").arg(em).arg(capital)));
    const TextInk asked = measureTextInk(drawn(font, QStringLiteral("Hnmlui")));
    const TextInk regular = measureTextInk(drawn(designFont(family, points, false), QStringLiteral("Hnmlui")));
    if (bold) {
        QVERIFY2(asked.strokeWidth > regular.strokeWidth && asked.inkPixels * 5 > regular.inkPixels * 6,
                 qPrintable(QStringLiteral("bold strokes %1 (ink %2), regular %3 (ink %4)")
                                .arg(asked.strokeWidth)
                                .arg(asked.inkPixels)
                                .arg(regular.strokeWidth)
                                .arg(regular.inkPixels)));
    } else {
        QVERIFY2(asked.strokeWidth * 7 < em, qPrintable(QString::number(asked.strokeWidth)));
    }
}

void FontsTest::msSansSerif_growsWithItsPointSize()
{
    int previous = 0;
    for (const qreal points : {8.25, 9.75, 12.0, 13.5}) {
        const int capital =
            measureTextInk(drawn(designFont(QStringLiteral("MS Sans Serif"), points, true), QStringLiteral("N")))
                .firstGlyphHeight;
        QVERIFY2(capital > previous, qPrintable(QStringLiteral("%1 pt: capitals %2 pixels high, %3 for the size before")
                                                    .arg(points)
                                                    .arg(capital)
                                                    .arg(previous)));
        previous = capital;
    }
}

void FontsTest::msSansSerif_isBitmapsWhereItHasThemAndSmoothElsewhere_data()
{
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("bitmap");
    for (const bool bold : {false, true}) {
        const char *weight = bold ? "bold" : "regular";
        QTest::addRow("8.25 pt %s", weight) << 8.25 << bold << true;
        QTest::addRow("9.75 pt %s", weight) << 9.75 << bold << true;
        QTest::addRow("12 pt %s", weight) << 12.0 << bold << true;
        QTest::addRow("13.5 pt %s", weight) << 13.5 << bold << false;
    }
}

void FontsTest::msSansSerif_isBitmapsWhereItHasThemAndSmoothElsewhere()
{
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    QFETCH(bool, bitmap);
    // A bitmap strike is ink or nothing; an outline face is smoothed at its edges.
    const TextInk ink =
        measureTextInk(drawn(designFont(QStringLiteral("MS Sans Serif"), points, bold), QStringLiteral("Numero 540")));
    QVERIFY(ink.inkPixels > 0);
    QCOMPARE(ink.shadePixels == 0, bitmap);
}

void FontsTest::microsoftSansSerif_drawsAsMsSansSerif()
{
    const QString text = QStringLiteral("http://www.example.org/pagiscopo/");
    QCOMPARE(drawn(designFont(QStringLiteral("Microsoft Sans Serif"), 9.75, true), text),
             drawn(designFont(QStringLiteral("MS Sans Serif"), 9.75, true), text));
}

void FontsTest::unknownFace_drawsAtItsSizeAndIsReported()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no face here draws .*No Such Face")));
    const QFont font = designFont(QStringLiteral("No Such Face"), 12, false);
    const int capital = measureTextInk(drawn(font, QStringLiteral("H"))).firstGlyphHeight;
    QVERIFY2(capital >= 10 && capital <= 13, qPrintable(QString::number(capital)));
}

QTEST_MAIN(FontsTest)
#include "tst_fonts.moc"
