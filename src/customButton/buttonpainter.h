#pragma once

// The button's pictures, kept apart from the widget: the seven looks draw through four primitives
// onto a retained QImage, so a test can read back every pixel without a window.

#include <QFont>
#include <QImage>
#include <QPalette>
#include <QRegion>
#include <QString>

#include <array>
#include <functional>
#include <optional>

// Where the font system knows without drawing whether a font asked for in bold draws exactly as its
// regular weight (a bitmap face with no bold, which the font engine does not embolden either), the
// captions take its word and need not load the bold face to find out. Where it knows nothing, a
// test drawing decides, as with no hint at all. Set it before the first caption is drawn.
using BoldDrawnAsRegular = std::function<std::optional<bool>(const QFont &)>;
void setBoldDrawnAsRegularHint(BoldDrawnAsRegular hint);

// A colour as the control stores and draws it: 0x00BBGGRR, red in the low byte.
using ButtonColor = quint32;

namespace ButtonLook
{
enum : qint32 {
    DoubleBevel = 1,
    ClassicBevel = 2,
    GradientRounded = 3,
    SoftRounded = 4,
    FlatBold = 5,
    ShadowFrame = 6,
    ThinBevel = 7,
};
}

namespace ButtonScheme
{
enum : qint32 {
    SystemColors = 1,
    CustomColors = 2,
    StandardGrey = 3,
};
}

namespace ButtonState
{
constexpr quint8 Up = 0;
constexpr quint8 Down = 2;
} // namespace ButtonState

struct ButtonPalette {
    ButtonColor FaceColor = 0;
    ButtonColor LightColor = 0;
    ButtonColor HighlightColor = 0;
    ButtonColor ShadowColor = 0;
    ButtonColor DarkShadowColor = 0;
    ButtonColor TextColor = 0;

    friend bool operator==(const ButtonPalette &, const ButtonPalette &) = default;
};

// Left, top, right, bottom with right and bottom excluded (not QRect, whose right() is inclusive).
struct ButtonRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    friend bool operator==(const ButtonRect &, const ButtonRect &) = default;
};

struct ButtonLayout {
    ButtonRect TextRect;
    ButtonRect TextRectDown;
    ButtonRect FocusRect;

    static ButtonLayout forSize(int w, int h);
};

QRgb toQRgb(ButtonColor colour);
ButtonColor fromQColor(const QColor &colour);

// Moves each channel by amount and clamps it; with proportionalBlue the blue channel moves by
// blue * amount / 192 instead. Integer arithmetic truncating toward zero, as the looks' colours
// were tuned with it.
ButtonColor ShiftColor(qint32 colour, qint32 amount, bool proportionalBlue = false);

// The six palette colours for a colour scheme; any scheme other than 2 and 3 reads the given
// system palette (the application's palette at the moment of the call).
ButtonPalette colorsForScheme(qint32 colorScheme, ButtonColor backColor, ButtonColor foreColor, const QPalette &system);

// The window shape of a look: the full w x h rectangle minus the cut corner pixels.
QRegion regionForLook(qint32 buttonType, int w, int h);

// The lower-case access key marked by "&" in a caption, or a null QChar.
QChar accessKeyOf(const QString &caption);

// The caption as shown: "&" markers removed and "&&" shown as one "&".
QString displayedCaption(const QString &caption);

class ButtonSurface
{
public:
    void resize(int w, int h);
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    const QImage &image() const { return m_image; }
    ButtonColor pixel(int x, int y) const;

    void DrawRect(int x, int y, int width, int height, ButtonColor colour, bool frameOnly);
    // Also makes colour the text colour, as the looks rely on (look 5's pressed caption).
    void DrawLine(int x1, int y1, int x2, int y2, ButtonColor colour);
    void DrawPixel(int x, int y, ButtonColor colour);
    void DrawFocus(const ButtonRect &focusRect, ButtonColor textColor);

    void setTextColor(ButtonColor colour) { m_textColor = colour; }
    ButtonColor textColor() const { return m_textColor; }

    // One line centred in layout and clipped to it, in the text colour, no background.
    void drawCaption(const QString &caption, const ButtonRect &layout, const QFont &font);
    QSizeF measureCaption(const QString &caption, const QFont &font) const;

private:
    // The caption's glyph coverage for one box: laying text out costs far more than blending it,
    // and a button shows the same caption in the same boxes over and over.
    struct CaptionMask {
        QString text;
        QString fontKey;
        QSize box;
        QImage coverage;
        QRect ink;
    };
    const CaptionMask &captionMask(const QString &text, const QFont &font, QSize box);

    void fillSpan(int y, int x0, int x1, QRgb rgb);
    void invertPixel(int x, int y);

    QImage m_image;
    ButtonColor m_textColor = 0;
    std::array<CaptionMask, 4> m_captionCache;
    std::size_t m_nextCacheSlot = 0;
};

struct LookParams {
    qint32 buttonType = ButtonLook::ClassicBevel;
    quint8 state = ButtonState::Up;
    bool enabled = true;
    // The control has the focus and ShowFocusRect is on.
    bool focusShown = false;
    bool showFocusRect = true;
    bool displayAsDefault = false;
    ButtonPalette palette;
    QString caption;
    QFont font;
    ButtonLayout layout;
};

// Fills the face and draws the look's up, pressed or disabled picture.
void drawLook(ButtonSurface &surface, const LookParams &params);
