// The button's pure rules: colour shifting, palettes, window shapes, access keys, key codes and
// the property bag.

#include "customButton/buttonkeys.h"
#include "customButton/buttonpainter.h"
#include "customButton/buttonpropertybag.h"

#include <QApplication>
#include <QTest>

class TestButtonRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shiftColor_data();
    void shiftColor();
    void customColors_derivesBevelFromBackColor();
    void standardGrey_isFixed();
    void systemColors_readsApplicationPaletteForAnyOtherScheme_data();
    void systemColors_readsApplicationPaletteForAnyOtherScheme();
    void makeRegion_removesCornerPixels_data();
    void makeRegion_removesCornerPixels();
    void accessKey_data();
    void accessKey();
    void keyCodes_data();
    void keyCodes();
    void keyAscii_data();
    void keyAscii();
    void propertyBag_matchesNamesWithoutCase();
};

void TestButtonRules::shiftColor_data()
{
    QTest::addColumn<qint32>("colour");
    QTest::addColumn<qint32>("amount");
    QTest::addColumn<bool>("proportional");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("darker") << 0x808080 << -64 << false << 0x404040u;
    QTest::newRow("lighter") << 0x808080 << 47 << false << 0xAFAFAFu;
    QTest::newRow("proportional blue darker") << 0x808080 << -64 << true << 0x564040u;
    QTest::newRow("proportional blue lighter") << 0xFFC0C0 << 48 << true << 0xFFF0F0u;
    QTest::newRow("proportional blue truncates toward zero") << 0x102030 << -40 << true << 0x0D0008u;
    QTest::newRow("clamps at white") << 0xFFFFFF << 47 << false << 0xFFFFFFu;
    QTest::newRow("clamps at black") << 0x808080 << -192 << false << 0x000000u;
    QTest::newRow("zero amount keeps the colour") << 0x123456 << 0 << false << 0x123456u;
    // A system-colour code: red still comes from the low byte, green and blue go to 0 or below.
    QTest::newRow("negative colour value") << qint32(0x8000000F) << 10 << false << 0x19u;
}

void TestButtonRules::shiftColor()
{
    QFETCH(qint32, colour);
    QFETCH(qint32, amount);
    QFETCH(bool, proportional);
    QFETCH(quint32, expected);
    QCOMPARE(ShiftColor(colour, amount, proportional), expected);
}

void TestButtonRules::customColors_derivesBevelFromBackColor()
{
    const ButtonPalette p = colorsForScheme(ButtonScheme::CustomColors, 0xFFC0C0, 0x123456, QPalette());
    QCOMPARE(p.FaceColor, 0xFFC0C0u);
    QCOMPARE(p.ShadowColor, 0xBF8080u);
    QCOMPARE(p.LightColor, 0xFFDFDFu);
    QCOMPARE(p.HighlightColor, 0xFFEFEFu);
    QCOMPARE(p.DarkShadowColor, 0x3F0000u);
    QCOMPARE(p.TextColor, 0x123456u);
}

void TestButtonRules::standardGrey_isFixed()
{
    const ButtonPalette p = colorsForScheme(ButtonScheme::StandardGrey, 0xFFC0C0, 0x123456, QPalette());
    const ButtonPalette expected{0xC0C0C0, 0xDFDFDF, 0xFFFFFF, 0x808080, 0x000000, 0x000000};
    QCOMPARE(p, expected);
}

void TestButtonRules::systemColors_readsApplicationPaletteForAnyOtherScheme_data()
{
    QTest::addColumn<qint32>("scheme");
    QTest::newRow("0, before initialisation") << 0;
    QTest::newRow("1, SystemColors") << 1;
    QTest::newRow("4, out of range") << 4;
    QTest::newRow("negative") << -7;
}

void TestButtonRules::systemColors_readsApplicationPaletteForAnyOtherScheme()
{
    QFETCH(qint32, scheme);
    QPalette system;
    system.setColor(QPalette::Button, QColor(1, 2, 3));
    system.setColor(QPalette::Light, QColor(4, 5, 6));
    system.setColor(QPalette::Midlight, QColor(7, 8, 9));
    system.setColor(QPalette::Dark, QColor(10, 11, 12));
    system.setColor(QPalette::Shadow, QColor(13, 14, 15));
    system.setColor(QPalette::ButtonText, QColor(16, 17, 18));
    const ButtonPalette p = colorsForScheme(scheme, 0xFFC0C0, 0xFFFFFF, system);
    const ButtonPalette expected{0x030201, 0x090807, 0x060504, 0x0C0B0A, 0x0F0E0D, 0x121110};
    QCOMPARE(p, expected);
}

void TestButtonRules::makeRegion_removesCornerPixels_data()
{
    QTest::addColumn<qint32>("type");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<QList<QPoint>>("removed");

    const QList<QPoint> rounded10{{0, 0}, {1, 0}, {0, 1}, {0, 9}, {1, 9}, {0, 8},
                                  {8, 0}, {9, 0}, {9, 1}, {8, 9}, {9, 9}, {9, 8}};
    QTest::newRow("1 cuts one pixel per corner") << 1 << 10 << 6 << QList<QPoint>{{0, 0}, {0, 5}, {9, 0}, {9, 5}};
    QTest::newRow("2 stays a rectangle") << 2 << 10 << 6 << QList<QPoint>{};
    QTest::newRow("3 rounds each corner") << 3 << 10 << 10 << rounded10;
    QTest::newRow("4 on 10 x 10 removes exactly 12") << 4 << 10 << 10 << rounded10;
    QTest::newRow("5 cuts bottom-left and top-right") << 5 << 10 << 6 << QList<QPoint>{{0, 5}, {9, 0}};
    QTest::newRow("6 stays a rectangle") << 6 << 10 << 6 << QList<QPoint>{};
    QTest::newRow("7 stays a rectangle") << 7 << 10 << 6 << QList<QPoint>{};
    QTest::newRow("99 stays a rectangle") << 99 << 10 << 6 << QList<QPoint>{};
}

void TestButtonRules::makeRegion_removesCornerPixels()
{
    QFETCH(qint32, type);
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(QList<QPoint>, removed);

    const QRegion region = regionForLook(type, w, h);
    int missing = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool inside = region.contains(QPoint(x, y));
            QCOMPARE(inside, !removed.contains(QPoint(x, y)));
            missing += inside ? 0 : 1;
        }
    }
    QCOMPARE(missing, removed.size());
    QCOMPARE(region.boundingRect() & QRect(0, 0, w, h), region.boundingRect());
}

void TestButtonRules::accessKey_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QChar>("key");

    QTest::newRow("&Vai") << QStringLiteral("&Vai") << QChar(u'v');
    QTest::newRow("Save && Exit") << QStringLiteral("Save && Exit") << QChar();
    QTest::newRow("A && &B") << QStringLiteral("A && &B") << QChar(u'b');
    QTest::newRow("X&") << QStringLiteral("X&") << QChar();
    QTest::newRow("& alone") << QStringLiteral("&") << QChar();
    QTest::newRow("no marker") << QStringLiteral("Vai") << QChar();
    QTest::newRow("marker mid-word") << QStringLiteral("Ca&mbia!") << QChar(u'm');
    QTest::newRow("literal then literal") << QStringLiteral("a&&b&&c") << QChar();
    QTest::newRow("only the first two markers count") << QStringLiteral("&&x&&y&z") << QChar();
    QTest::newRow("literal then marker at the end") << QStringLiteral("a&&b&") << QChar();
    QTest::newRow("digit") << QStringLiteral("Pagina &1") << QChar(u'1');
    QTest::newRow("accented capital") << QStringLiteral("&Èra") << QChar(u'è');
}

void TestButtonRules::accessKey()
{
    QFETCH(QString, caption);
    QFETCH(QChar, key);
    QCOMPARE(accessKeyOf(caption), key);
}

void TestButtonRules::keyCodes_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("code");
    QTest::newRow("space") << int(Qt::Key_Space) << 0 << 32;
    QTest::newRow("left") << int(Qt::Key_Left) << 0 << 37;
    QTest::newRow("up") << int(Qt::Key_Up) << 0 << 38;
    QTest::newRow("right") << int(Qt::Key_Right) << 0 << 39;
    QTest::newRow("down") << int(Qt::Key_Down) << 0 << 40;
    QTest::newRow("letter") << int(Qt::Key_M) << 0 << 77;
    QTest::newRow("enter") << int(Qt::Key_Return) << 0 << 13;
    QTest::newRow("escape") << int(Qt::Key_Escape) << 0 << 27;
    QTest::newRow("keypad digit") << int(Qt::Key_5) << int(Qt::KeypadModifier) << 101;
    QTest::newRow("F5") << int(Qt::Key_F5) << 0 << 116;
}

void TestButtonRules::keyCodes()
{
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(int, code);
    QCOMPARE(int(virtualKeyCode(qtKey, Qt::KeyboardModifiers(modifiers))), code);
}

void TestButtonRules::keyAscii_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("ascii"); // -1: no KeyPress
    QTest::newRow("letter") << int(Qt::Key_M) << 0 << QStringLiteral("m") << int('m');
    QTest::newRow("space") << int(Qt::Key_Space) << 0 << QStringLiteral(" ") << 32;
    QTest::newRow("enter") << int(Qt::Key_Return) << 0 << QStringLiteral("\r") << 13;
    QTest::newRow("ctrl+v") << int(Qt::Key_V) << int(Qt::ControlModifier) << QString() << 22;
    QTest::newRow("arrow types nothing") << int(Qt::Key_Left) << 0 << QString() << -1;
    QTest::newRow("alt+letter is an access key") << int(Qt::Key_V) << int(Qt::AltModifier) << QStringLiteral("v") << -1;
    QTest::newRow("latin-1") << int(Qt::Key_Egrave) << 0 << QStringLiteral("è") << 0xE8;
    QTest::newRow("beyond latin-1") << int(Qt::Key_unknown) << 0 << QStringLiteral("€") << int('?');
}

void TestButtonRules::keyAscii()
{
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(int, ascii);
    const auto result = ::keyAscii(qtKey, Qt::KeyboardModifiers(modifiers), text);
    QCOMPARE(result.has_value() ? int(*result) : -1, ascii);
}

void TestButtonRules::propertyBag_matchesNamesWithoutCase()
{
    ButtonPropertyBag bag;
    bag.write(QStringLiteral("btype"), 3);
    bag.write(QStringLiteral("TX"), QStringLiteral("Vai"));
    bag.write(QStringLiteral("BType"), 5);
    QCOMPARE(bag.read(QStringLiteral("BTYPE")).toInt(), 5);
    QCOMPARE(bag.read(QStringLiteral("tx")).toString(), QStringLiteral("Vai"));
    QCOMPARE(bag.read(QStringLiteral("FONT"), 7).toInt(), 7);
    QCOMPARE(bag.names(), (QStringList{QStringLiteral("btype"), QStringLiteral("TX")}));
}

QTEST_MAIN(TestButtonRules)
#include "tst_buttonrules.moc"
