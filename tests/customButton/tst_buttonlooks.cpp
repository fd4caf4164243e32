// The drawing primitives and the seven looks, read back pixel by pixel from the button's surface.
// Captions are left empty wherever pixels are checked, since fonts differ between machines.

#include "customButton/buttonpainter.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QTest>

namespace
{

// Six distinct colours, so every pixel tells which palette member drew it.
const ButtonPalette kPalette{0x111111, 0x222222, 0x333333, 0x444444, 0x555555, 0x666666};

struct Drawn {
    ButtonSurface surface;
    ButtonColor at(int x, int y) const { return surface.pixel(x, y); }
};

// Draws onto `surface` as it stands; draw() gives it a fresh one.
void drawOnto(ButtonSurface &surface, qint32 type, int w, int h, quint8 state = ButtonState::Up, bool enabled = true,
              bool focusShown = false, bool showFocusRect = true, bool isDefault = false,
              const ButtonPalette &palette = kPalette, const QString &caption = QString(), const QFont &font = QFont())
{
    LookParams p;
    p.buttonType = type;
    p.state = state;
    p.enabled = enabled;
    p.focusShown = focusShown;
    p.showFocusRect = showFocusRect;
    p.displayAsDefault = isDefault;
    p.palette = palette;
    p.caption = caption;
    p.font = font;
    p.layout = ButtonLayout::forSize(w, h);
    drawLook(surface, p);
}

Drawn draw(qint32 type, int w, int h, quint8 state = ButtonState::Up, bool enabled = true, bool focusShown = false,
           bool showFocusRect = true, bool isDefault = false, const ButtonPalette &palette = kPalette,
           const QString &caption = QString(), const QFont &font = QFont())
{
    Drawn d;
    d.surface.resize(w, h);
    drawOnto(d.surface, type, w, h, state, enabled, focusShown, showFocusRect, isDefault, palette, caption, font);
    return d;
}

QString hex(ButtonColor c)
{
    return QStringLiteral("0x%1").arg(c, 6, 16, QLatin1Char('0'));
}

#define COMPARE_PIXEL(drawn, x, y, colour) QCOMPARE(hex((drawn).at((x), (y))), hex(colour))

} // namespace

class TestButtonLooks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawLine_excludesEndPointAndSetsTextColor();
    void drawRect_clipsAndIgnoresEmptyRectangles();
    void drawFocus_invertsEveryOtherOutlinePixel();
    void doubleBevel_up_10x6();
    void doubleBevel_pressedSwapsBevelColours();
    void classicBevel_defaultEmphasisNeedsShowFocusRect_data();
    void classicBevel_defaultEmphasisNeedsShowFocusRect();
    void classicBevel_pressedDependsOnShowFocusRect();
    void gradientRounded_upGradientAmountsAtHeight20();
    void gradientRounded_glowOnlyWithFocusShownOrDefault_data();
    void gradientRounded_glowOnlyWithFocusShownOrDefault();
    void gradientRounded_pressedInvertsGradientWithoutGlow();
    void gradientRounded_disabledIsFlat();
    void softRounded_bevelPixelsWhereStepsOverlap();
    void softRounded_pressedCaptionInLightColor();
    void flatBold_captionFrameAroundEmptyCaption();
    void flatBold_captionFrameWiderThanControlIsClipped();
    void flatBold_upAndPressedFrames();
    void flatBold_captionIsBoldInEveryFont_data();
    void flatBold_captionIsBoldInEveryFont();
    void shadowAndThinBevel_disabledKeepTheUpFrame_data();
    void shadowAndThinBevel_disabledKeepTheUpFrame();
    void disabled_looksTheSamePressedOrNot_data();
    void disabled_looksTheSamePressedOrNot();
    void tinyControls_paintEveryPixel_data();
    void tinyControls_paintEveryPixel();
    void unknownButtonType_paintsOnlyTheFace_data();
    void unknownButtonType_paintsOnlyTheFace();
};

void TestButtonLooks::drawLine_excludesEndPointAndSetsTextColor()
{
    ButtonSurface s;
    s.resize(6, 4);
    s.DrawRect(0, 0, 6, 4, 0x000000, false);
    s.setTextColor(0x010101);
    s.DrawLine(1, 1, 4, 1, 0xABCDEF);
    QCOMPARE(s.textColor(), 0xABCDEFu);
    QCOMPARE(s.pixel(0, 1), 0x000000u);
    QCOMPARE(s.pixel(1, 1), 0xABCDEFu);
    QCOMPARE(s.pixel(3, 1), 0xABCDEFu);
    QCOMPARE(s.pixel(4, 1), 0x000000u);
    // Backwards: from x1 down to, not including, x2.
    s.DrawLine(4, 2, 1, 2, 0x123456);
    QCOMPARE(s.pixel(4, 2), 0x123456u);
    QCOMPARE(s.pixel(2, 2), 0x123456u);
    QCOMPARE(s.pixel(1, 2), 0x000000u);
    // Coinciding ends draw nothing but still set the colour.
    s.DrawLine(0, 3, 0, 3, 0x777777);
    QCOMPARE(s.pixel(0, 3), 0x000000u);
    QCOMPARE(s.textColor(), 0x777777u);
}

void TestButtonLooks::drawRect_clipsAndIgnoresEmptyRectangles()
{
    ButtonSurface s;
    s.resize(5, 5);
    s.DrawRect(0, 0, 5, 5, 0x000000, false);
    s.DrawRect(1, 1, 0, 3, 0xFFFFFF, true);
    s.DrawRect(1, 1, 3, -1, 0xFFFFFF, false);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            QCOMPARE(s.pixel(x, y), 0x000000u);
        }
    }
    // A frame reaching past the surface keeps only its visible sides.
    s.DrawRect(-2, 1, 5, 10, 0x0000FF, true);
    QCOMPARE(s.pixel(0, 1), 0x0000FFu); // top side
    QCOMPARE(s.pixel(2, 3), 0x0000FFu); // right side
    QCOMPARE(s.pixel(0, 3), 0x000000u); // the left side lies off the surface
    QCOMPARE(s.pixel(1, 4), 0x000000u); // so does the bottom
    s.DrawRect(3, 3, 100, 100, 0x00FF00, false);
    QCOMPARE(s.pixel(4, 4), 0x00FF00u);
    QCOMPARE(s.pixel(2, 4), 0x0000FFu); // the frame's right side, left of the fill
}

void TestButtonLooks::drawFocus_invertsEveryOtherOutlinePixel()
{
    ButtonSurface s;
    s.resize(12, 10);
    s.DrawRect(0, 0, 12, 10, 0x101010, false);
    s.DrawFocus(ButtonLayout::forSize(12, 10).FocusRect, 0x666666);
    QCOMPARE(s.textColor(), 0x666666u);
    int inverted = 0;
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool outline = (x >= 4 && x <= 7 && (y == 4 || y == 5)) || ((x == 4 || x == 7) && y >= 4 && y <= 5);
            const ButtonColor c = s.pixel(x, y);
            if (c == 0xEFEFEF) {
                QVERIFY2(outline, qPrintable(QStringLiteral("inverted off the outline at %1,%2").arg(x).arg(y)));
                ++inverted;
            } else {
                QCOMPARE(c, 0x101010u);
            }
        }
    }
    // Focus rectangle 4..7 x 4..5: eight outline pixels, every other one inverted.
    QCOMPARE(inverted, 4);
}

void TestButtonLooks::doubleBevel_up_10x6()
{
    const auto d = draw(1, 10, 6);
    COMPARE_PIXEL(d, 0, 0, kPalette.FaceColor);
    COMPARE_PIXEL(d, 9, 0, kPalette.FaceColor);
    for (int x = 1; x <= 8; ++x) {
        COMPARE_PIXEL(d, x, 0, kPalette.DarkShadowColor);
        COMPARE_PIXEL(d, x, 5, kPalette.DarkShadowColor);
    }
    COMPARE_PIXEL(d, 1, 1, kPalette.HighlightColor);
    COMPARE_PIXEL(d, 8, 1, kPalette.ShadowColor);
    COMPARE_PIXEL(d, 1, 4, kPalette.ShadowColor);
    COMPARE_PIXEL(d, 2, 2, kPalette.HighlightColor);
    COMPARE_PIXEL(d, 7, 2, kPalette.ShadowColor);
    COMPARE_PIXEL(d, 0, 3, kPalette.DarkShadowColor);
    COMPARE_PIXEL(d, 9, 3, kPalette.DarkShadowColor);
}

void TestButtonLooks::doubleBevel_pressedSwapsBevelColours()
{
    const auto d = draw(1, 10, 6, ButtonState::Down);
    COMPARE_PIXEL(d, 1, 1, kPalette.ShadowColor);
    COMPARE_PIXEL(d, 8, 1, kPalette.HighlightColor);
    COMPARE_PIXEL(d, 1, 4, kPalette.HighlightColor);
    COMPARE_PIXEL(d, 4, 0, kPalette.DarkShadowColor);
}

void TestButtonLooks::classicBevel_defaultEmphasisNeedsShowFocusRect_data()
{
    QTest::addColumn<bool>("focusShown");
    QTest::addColumn<bool>("showFocusRect");
    QTest::addColumn<bool>("isDefault");
    QTest::addColumn<bool>("emphasised");
    QTest::addColumn<bool>("focusDrawn");
    QTest::newRow("focused, not default") << true << true << false << false << false;
    QTest::newRow("focused and default") << true << true << true << true << true;
    QTest::newRow("default, not focused") << false << true << true << true << false;
    QTest::newRow("default without ShowFocusRect") << false << false << true << false << false;
}

void TestButtonLooks::classicBevel_defaultEmphasisNeedsShowFocusRect()
{
    QFETCH(bool, focusShown);
    QFETCH(bool, showFocusRect);
    QFETCH(bool, isDefault);
    QFETCH(bool, emphasised);
    QFETCH(bool, focusDrawn);
    const auto d = draw(2, 20, 14, ButtonState::Up, true, focusShown, showFocusRect, isDefault);
    // The dark outer frame of a default button, or the plain bevel's highlight corner.
    COMPARE_PIXEL(d, 0, 0, emphasised ? kPalette.DarkShadowColor : kPalette.HighlightColor);
    COMPARE_PIXEL(d, 1, 1, emphasised ? kPalette.HighlightColor : kPalette.LightColor);
    COMPARE_PIXEL(d, 19, 5, kPalette.DarkShadowColor);
    COMPARE_PIXEL(d, 4, 4, focusDrawn ? 0xEEEEEE : kPalette.FaceColor);
}

void TestButtonLooks::classicBevel_pressedDependsOnShowFocusRect()
{
    const auto flat = draw(2, 20, 14, ButtonState::Down, true, false, true);
    COMPARE_PIXEL(flat, 19, 13, kPalette.DarkShadowColor);
    COMPARE_PIXEL(flat, 18, 5, kPalette.ShadowColor);
    const auto sunken = draw(2, 20, 14, ButtonState::Down, true, false, false);
    COMPARE_PIXEL(sunken, 0, 0, kPalette.DarkShadowColor);
    COMPARE_PIXEL(sunken, 19, 5, kPalette.HighlightColor);
    COMPARE_PIXEL(sunken, 5, 13, kPalette.HighlightColor);
    COMPARE_PIXEL(sunken, 18, 5, kPalette.LightColor);
    COMPARE_PIXEL(sunken, 5, 12, kPalette.LightColor);
}

void TestButtonLooks::gradientRounded_upGradientAmountsAtHeight20()
{
    const ButtonPalette custom = colorsForScheme(ButtonScheme::CustomColors, 0xFFC0C0, 0, QPalette());
    const auto d = draw(3, 30, 20, ButtonState::Up, true, false, true, false, custom);
    const ButtonColor base = ShiftColor(0xFFC0C0, 48, true);
    QCOMPARE(base, 0xFFF0F0u);
    const int amounts[] = {-1, -2, -4, -5, -6, -8, -9, -10, -11, -12, -14, -15, -16, -18, -19, -20, -21, -22, -24};
    // At x = 15 the bevel covers rows 1, 2, 17 and 18 and the outline rows 0 and 19.
    for (int row = 3; row <= 16; ++row) {
        COMPARE_PIXEL(d, 15, row, ShiftColor(qint32(base), amounts[row - 1], true));
    }
    COMPARE_PIXEL(d, 0, 0, custom.FaceColor);               // row 0 keeps the face
    COMPARE_PIXEL(d, 0, 1, ShiftColor(0xFFF0F0, -1, true)); // the window shape hides it, the surface has it
    COMPARE_PIXEL(d, 0, 19, ShiftColor(0xFFF0F0, -24, true));
    COMPARE_PIXEL(d, 2, 0, 0x733C00);
    COMPARE_PIXEL(d, 1, 1, 0x7B4D10);
    COMPARE_PIXEL(d, 28, 18, 0x7B4D10);
    COMPARE_PIXEL(d, 5, 18, ShiftColor(qint32(base), -48, true)); // tinted bevel, no glow
    COMPARE_PIXEL(d, 5, 1, ShiftColor(qint32(base), 16, true));
}

void TestButtonLooks::gradientRounded_glowOnlyWithFocusShownOrDefault_data()
{
    QTest::addColumn<bool>("focusShown");
    QTest::addColumn<bool>("showFocusRect");
    QTest::addColumn<bool>("isDefault");
    QTest::addColumn<bool>("glow");
    QTest::newRow("focus shown") << true << true << false << true;
    QTest::newRow("no focus") << false << true << false << false;
    QTest::newRow("default button") << false << true << true << true;
    QTest::newRow("default without ShowFocusRect") << false << false << true << false;
}

void TestButtonLooks::gradientRounded_glowOnlyWithFocusShownOrDefault()
{
    QFETCH(bool, focusShown);
    QFETCH(bool, showFocusRect);
    QFETCH(bool, isDefault);
    QFETCH(bool, glow);
    const ButtonPalette custom = colorsForScheme(ButtonScheme::CustomColors, 0xFFC0C0, 0, QPalette());
    const auto d = draw(3, 30, 20, ButtonState::Up, true, focusShown, showFocusRect, isDefault, custom);
    const ButtonColor base = 0xFFF0F0;
    if (glow) {
        COMPARE_PIXEL(d, 1, 10, 0xE7AE8C);
        COMPARE_PIXEL(d, 5, 18, 0xEF826B);
        COMPARE_PIXEL(d, 5, 1, 0xFFE7CE);
        COMPARE_PIXEL(d, 5, 2, 0xF7D7BD);
        COMPARE_PIXEL(d, 2, 10, 0xF0D1B5);
        COMPARE_PIXEL(d, 27, 10, 0xF0D1B5);
    } else {
        COMPARE_PIXEL(d, 1, 10, ShiftColor(base, -5, true));
        COMPARE_PIXEL(d, 5, 18, ShiftColor(base, -48, true));
        COMPARE_PIXEL(d, 2, 10, ShiftColor(base, -10, true));
        COMPARE_PIXEL(d, 27, 10, ShiftColor(base, -24, true));
    }
}

void TestButtonLooks::gradientRounded_pressedInvertsGradientWithoutGlow()
{
    const ButtonPalette custom = colorsForScheme(ButtonScheme::CustomColors, 0xFFC0C0, 0, QPalette());
    const auto d = draw(3, 30, 20, ButtonState::Down, true, true, true, true, custom);
    const auto base2 = qint32(ShiftColor(0xFFF0F0, -32, true));
    // step = 15 / 20 = 0.75: row H - i takes nearest(-0.75 i), ties to even.
    COMPARE_PIXEL(d, 15, 16, ShiftColor(base2, -3, true)); // i = 4: -3.0
    COMPARE_PIXEL(d, 15, 14, ShiftColor(base2, -4, true)); // i = 6: -4.5 -> -4
    COMPARE_PIXEL(d, 15, 10, ShiftColor(base2, -8, true)); // i = 10: -7.5 -> -8
    COMPARE_PIXEL(d, 15, 0, 0x733C00);
    COMPARE_PIXEL(d, 5, 18, ShiftColor(base2, 16, true)); // sunken edge, not the glow
    COMPARE_PIXEL(d, 2, 10, ShiftColor(base2, -22, true));
}

void TestButtonLooks::gradientRounded_disabledIsFlat()
{
    const ButtonPalette custom = colorsForScheme(ButtonScheme::CustomColors, 0xFFC0C0, 0, QPalette());
    const auto d = draw(3, 30, 20, ButtonState::Up, false, true, true, true, custom);
    const ButtonColor base = 0xFFF0F0;
    for (int y = 1; y < 19; ++y) {
        COMPARE_PIXEL(d, 15, y, ShiftColor(base, -24, true));
    }
    COMPARE_PIXEL(d, 15, 0, ShiftColor(base, -84, true));
    COMPARE_PIXEL(d, 1, 1, ShiftColor(base, -72, true));
    COMPARE_PIXEL(d, 1, 10, ShiftColor(base, -24, true));
}

void TestButtonLooks::softRounded_bevelPixelsWhereStepsOverlap()
{
    // 10 x 8: W-2 = 8, W-3 = 7, W-4 = 6, H-2 = 6, H-3 = 5, H-4 = 4.
    const auto up = draw(4, 10, 8);
    COMPARE_PIXEL(up, 0, 1, kPalette.FaceColor);       // cut by the shape, never drawn
    COMPARE_PIXEL(up, 0, 2, kPalette.DarkShadowColor); // outline
    COMPARE_PIXEL(up, 1, 1, kPalette.DarkShadowColor);
    COMPARE_PIXEL(up, 1, 2, kPalette.FaceColor);
    COMPARE_PIXEL(up, 2, 1, kPalette.FaceColor);
    COMPARE_PIXEL(up, 2, 2, kPalette.HighlightColor);
    COMPARE_PIXEL(up, 3, 3, kPalette.HighlightColor);
    COMPARE_PIXEL(up, 4, 3, kPalette.LightColor); // the inset face
    COMPARE_PIXEL(up, 7, 1, kPalette.FaceColor);
    COMPARE_PIXEL(up, 7, 2, kPalette.LightColor); // last step, over the face line
    COMPARE_PIXEL(up, 8, 2, kPalette.FaceColor);
    COMPARE_PIXEL(up, 2, 5, kPalette.LightColor);
    COMPARE_PIXEL(up, 2, 6, kPalette.FaceColor);
    COMPARE_PIXEL(up, 6, 4, kPalette.FaceColor);
    COMPARE_PIXEL(up, 7, 5, kPalette.ShadowColor);
    COMPARE_PIXEL(up, 8, 4, kPalette.ShadowColor);
    COMPARE_PIXEL(up, 8, 6, kPalette.DarkShadowColor); // neither shadow line reaches its end point
    // The disabled picture keeps the up bevel.
    QCOMPARE(draw(4, 10, 8, ButtonState::Up, false).surface.image(), up.surface.image());

    const auto S = [](int amount) { return ShiftColor(qint32(kPalette.ShadowColor), amount); };
    const auto pressed = draw(4, 10, 8, ButtonState::Down);
    COMPARE_PIXEL(pressed, 1, 1, kPalette.DarkShadowColor);
    COMPARE_PIXEL(pressed, 1, 3, S(-64));
    COMPARE_PIXEL(pressed, 2, 2, S(-64));
    COMPARE_PIXEL(pressed, 2, 3, S(-32));
    COMPARE_PIXEL(pressed, 3, 3, S(-32));
    COMPARE_PIXEL(pressed, 4, 3, S(-16)); // the sunken face
    COMPARE_PIXEL(pressed, 7, 1, S(-16));
    COMPARE_PIXEL(pressed, 7, 3, kPalette.ShadowColor);
    COMPARE_PIXEL(pressed, 1, 5, S(-16));
    COMPARE_PIXEL(pressed, 4, 5, kPalette.ShadowColor);
    COMPARE_PIXEL(pressed, 6, 4, kPalette.ShadowColor);
    COMPARE_PIXEL(pressed, 8, 5, S(-32));
    COMPARE_PIXEL(pressed, 8, 4, S(-16));
    COMPARE_PIXEL(pressed, 2, 6, S(-32));
    COMPARE_PIXEL(pressed, 7, 6, S(-32));
    COMPARE_PIXEL(pressed, 8, 2, S(-32));
    COMPARE_PIXEL(pressed, 7, 2, S(-16));
}

void TestButtonLooks::softRounded_pressedCaptionInLightColor()
{
    // Solid glyph strokes of a large bold caption show the caption colour exactly.
    QFont font;
    font.setPixelSize(20);
    font.setBold(true);
    const QString caption = QStringLiteral("MMM");
    const auto colours = [&](quint8 state) {
        const auto d = draw(4, 80, 30, state, true, false, true, false, kPalette, caption, font);
        QSet<ButtonColor> seen;
        for (int y = 4; y < 26; ++y) {
            for (int x = 4; x < 76; ++x) {
                seen.insert(d.at(x, y));
            }
        }
        return seen;
    };
    const auto up = colours(ButtonState::Up);
    QVERIFY(up.contains(kPalette.TextColor));
    const auto pressed = colours(ButtonState::Down);
    QVERIFY(pressed.contains(kPalette.LightColor));
    QVERIFY(!pressed.contains(kPalette.TextColor));
    // The pressed face is darker than the shadow colour.
    QVERIFY(pressed.contains(ShiftColor(qint32(kPalette.ShadowColor), -16)));
}

void TestButtonLooks::flatBold_captionFrameAroundEmptyCaption()
{
    QFont font;
    font.setPixelSize(11);
    const auto d = draw(5, 40, 20, ButtonState::Up, true, true, true, false, kPalette, QString(), font);
    QFont bold = font;
    bold.setBold(true);
    const auto th = float(QFontMetricsF(bold).height());
    const int x = 40 / 2 - 3;
    const int y = int(std::nearbyint(double(20.0f - th))) / 2 - 1;
    const int h = int(std::nearbyint(double(th + 2.0f)));
    COMPARE_PIXEL(d, x, y, 0xCC9999);
    COMPARE_PIXEL(d, x + 5, y, 0xCC9999);
    COMPARE_PIXEL(d, x + 6, y, ShiftColor(0x111111, 12));
    COMPARE_PIXEL(d, x - 1, y, ShiftColor(0x111111, 12));
    COMPARE_PIXEL(d, x, y + h - 1, 0xCC9999);
    COMPARE_PIXEL(d, x + 2, y + 1, ShiftColor(0x111111, 12));

    const auto unfocused = draw(5, 40, 20, ButtonState::Up, true, false, true, false, kPalette, QString(), font);
    COMPARE_PIXEL(unfocused, x, y, ShiftColor(0x111111, 12));
}

void TestButtonLooks::flatBold_captionFrameWiderThanControlIsClipped()
{
    QFont font;
    font.setPixelSize(14);
    const QString caption = QStringLiteral("Tv oggi sera, tutto il giorno");
    const auto d = draw(5, 24, 24, ButtonState::Up, true, true, true, false, kPalette, caption, font);
    QFont bold = font;
    bold.setBold(true);
    const auto th = float(QFontMetricsF(bold).height());
    const int y = int(std::nearbyint(double(24.0f - th))) / 2 - 1;
    // Both side lines lie off the surface; the top line crosses it from edge to edge.
    for (int x = 0; x < 24; ++x) {
        COMPARE_PIXEL(d, x, y, 0xCC9999);
    }
}

void TestButtonLooks::flatBold_upAndPressedFrames()
{
    const auto up = draw(5, 12, 8);
    const ButtonColor dark = ShiftColor(0x444444, -26);
    COMPARE_PIXEL(up, 0, 0, dark);
    COMPARE_PIXEL(up, 10, 6, dark);
    COMPARE_PIXEL(up, 11, 7, kPalette.HighlightColor);
    COMPARE_PIXEL(up, 1, 6, ShiftColor(0x444444, 26));
    COMPARE_PIXEL(up, 10, 1, ShiftColor(0x444444, 26));
    COMPARE_PIXEL(up, 5, 3, ShiftColor(0x111111, 12));
    COMPARE_PIXEL(up, 0, 7, kPalette.FaceColor);

    const auto pressed = draw(5, 12, 8, ButtonState::Down);
    COMPARE_PIXEL(pressed, 0, 0, dark);
    COMPARE_PIXEL(pressed, 11, 7, kPalette.HighlightColor);
    COMPARE_PIXEL(pressed, 11, 0, kPalette.FaceColor);
    COMPARE_PIXEL(pressed, 5, 3, ShiftColor(0x444444, 16));
}

void TestButtonLooks::flatBold_captionIsBoldInEveryFont_data()
{
    QTest::addColumn<QString>("fontFile");
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pixelSize");
    // The windows' own font: a bitmap face with no bold weight, which FreeType will not embolden.
    QTest::newRow("MS Sans Serif") << QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf")
                                   << QStringLiteral("MS Sans Serif") << 13;
    QTest::newRow("default font") << QString() << QString() << 16;
}

void TestButtonLooks::flatBold_captionIsBoldInEveryFont()
{
    QFETCH(QString, fontFile);
    QFETCH(QString, family);
    QFETCH(int, pixelSize);
    if (!fontFile.isEmpty() && QFontDatabase::addApplicationFont(fontFile) < 0) {
        QSKIP("font file not installed");
    }
    QFont font = family.isEmpty() ? QFont() : QFont(family);
    font.setPixelSize(pixelSize);
    // Pixels of the caption's exact colour: solid strokes, which a bold face has more of.
    const auto ink = [&](qint32 type) {
        const auto d =
            draw(type, 90, 30, ButtonState::Up, true, false, true, false, kPalette, QStringLiteral("Prova"), font);
        int n = 0;
        for (int y = 3; y < 27; ++y) {
            for (int x = 3; x < 87; ++x) {
                n += d.at(x, y) == kPalette.TextColor ? 1 : 0;
            }
        }
        return n;
    };
    const int regular = ink(ButtonLook::ThinBevel);
    QVERIFY(regular > 0);
    QVERIFY2(ink(ButtonLook::FlatBold) > regular + regular / 5,
             qPrintable(QStringLiteral("bold %1, regular %2").arg(ink(ButtonLook::FlatBold)).arg(regular)));
}

void TestButtonLooks::shadowAndThinBevel_disabledKeepTheUpFrame_data()
{
    QTest::addColumn<qint32>("type");
    QTest::newRow("6 ShadowFrame") << 6;
    QTest::newRow("7 ThinBevel") << 7;
}

void TestButtonLooks::shadowAndThinBevel_disabledKeepTheUpFrame()
{
    QFETCH(qint32, type);
    const auto up = draw(type, 20, 12);
    const auto disabled = draw(type, 20, 12, ButtonState::Up, false, true);
    QCOMPARE(disabled.surface.image(), up.surface.image());
    if (type == 6) {
        COMPARE_PIXEL(up, 0, 0, ShiftColor(0x222222, 8));
        COMPARE_PIXEL(up, 19, 0, kPalette.ShadowColor);
        COMPARE_PIXEL(up, 18, 5, kPalette.ShadowColor);
    } else {
        COMPARE_PIXEL(up, 0, 0, kPalette.HighlightColor);
        COMPARE_PIXEL(up, 19, 11, kPalette.ShadowColor);
        const auto pressed = draw(type, 20, 12, ButtonState::Down);
        COMPARE_PIXEL(pressed, 19, 11, kPalette.HighlightColor);
        COMPARE_PIXEL(pressed, 0, 0, kPalette.ShadowColor);
    }
}

void TestButtonLooks::disabled_looksTheSamePressedOrNot_data()
{
    QTest::addColumn<qint32>("type");
    for (qint32 t = 0; t <= 8; ++t) {
        QTest::addRow("type %d", t) << t;
    }
}

void TestButtonLooks::disabled_looksTheSamePressedOrNot()
{
    QFETCH(qint32, type);
    const auto up = draw(type, 30, 20, ButtonState::Up, false, true);
    const auto pressed = draw(type, 30, 20, ButtonState::Down, false, true);
    QCOMPARE(pressed.surface.image(), up.surface.image());
}

void TestButtonLooks::tinyControls_paintEveryPixel_data()
{
    QTest::addColumn<qint32>("type");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    for (qint32 t = 1; t <= 7; ++t) {
        QTest::addRow("type %d 2x2", t) << t << 2 << 2;
        QTest::addRow("type %d 2x30", t) << t << 2 << 30;
        QTest::addRow("type %d 30x1", t) << t << 30 << 1;
    }
}

void TestButtonLooks::tinyControls_paintEveryPixel()
{
    QFETCH(qint32, type);
    QFETCH(int, w);
    QFETCH(int, h);
    // A redraw paints the whole control, however little room the look's figures have: drawn over
    // the previous picture (here one colour that no look uses), nothing of it may show through.
    constexpr ButtonColor kPrevious = 0xABCDEF;
    for (const quint8 state : {ButtonState::Up, ButtonState::Down}) {
        for (const bool enabled : {true, false}) {
            const QString caption = QStringLiteral("&Vai");
            const auto fresh = draw(type, w, h, state, enabled, true, true, true, kPalette, caption);
            ButtonSurface redrawn;
            redrawn.resize(w, h);
            redrawn.DrawRect(0, 0, w, h, kPrevious, false);
            drawOnto(redrawn, type, w, h, state, enabled, true, true, true, kPalette, caption);
            QCOMPARE(redrawn.image(), fresh.surface.image());
        }
    }
    // On a 2-pixel control the looks' inner frames are empty: look 7 is its two outer lines only.
    if (type == 7 && w == 2 && h == 2) {
        const auto d = draw(7, 2, 2);
        COMPARE_PIXEL(d, 0, 0, kPalette.HighlightColor);
        COMPARE_PIXEL(d, 1, 1, kPalette.ShadowColor);
    }
}

void TestButtonLooks::unknownButtonType_paintsOnlyTheFace_data()
{
    QTest::addColumn<qint32>("type");
    QTest::newRow("0") << 0;
    QTest::newRow("8") << 8;
    QTest::newRow("-1") << -1;
}

void TestButtonLooks::unknownButtonType_paintsOnlyTheFace()
{
    QFETCH(qint32, type);
    QFont font;
    font.setPixelSize(14);
    const auto d = draw(type, 40, 20, ButtonState::Up, true, true, true, true, kPalette, QStringLiteral("MMM"), font);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            COMPARE_PIXEL(d, x, y, kPalette.FaceColor);
        }
    }
}

QTEST_MAIN(TestButtonLooks)
#include "tst_buttonlooks.moc"
