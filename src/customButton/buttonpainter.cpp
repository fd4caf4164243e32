#include "buttonpainter.h"

#include "buttonlog.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <cmath>

ButtonLayout ButtonLayout::forSize(int w, int h)
{
    ButtonLayout layout;
    layout.TextRect = {0, 0, w, h};
    layout.TextRectDown = {2, 2, w, h};
    layout.FocusRect = {4, 4, w - 4, h - 4};
    return layout;
}

QRgb toQRgb(ButtonColor colour)
{
    return qRgb(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

ButtonColor fromQColor(const QColor &colour)
{
    return ButtonColor(colour.red()) | (ButtonColor(colour.green()) << 8) | (ButtonColor(colour.blue()) << 16);
}

ButtonColor ShiftColor(qint32 colour, qint32 amount, bool proportionalBlue)
{
    // C++ division and remainder truncate toward zero like the arithmetic the colours were
    // designed with, so a negative colour yields green and blue of 0 or below, clamped below.
    qint64 red = colour & 255;
    qint64 green = (qint64(colour) / 256) % 256;
    qint64 blue = (qint64(colour) / 65536) % 256;

    if (proportionalBlue) {
        blue += blue * amount / 192;
    } else {
        blue += amount;
    }
    green += amount;
    red += amount;

    red = std::clamp<qint64>(red, 0, 255);
    green = std::clamp<qint64>(green, 0, 255);
    blue = std::clamp<qint64>(blue, 0, 255);
    return ButtonColor(red + 256 * green + 65536 * blue);
}

ButtonPalette colorsForScheme(qint32 colorScheme, ButtonColor backColor, ButtonColor foreColor, const QPalette &system)
{
    ButtonPalette p;
    switch (colorScheme) {
    case ButtonScheme::CustomColors: {
        const auto back = qint32(backColor);
        p.FaceColor = backColor;
        p.ShadowColor = ShiftColor(back, -64);
        p.LightColor = ShiftColor(back, 31);
        p.HighlightColor = ShiftColor(back, 47);
        p.DarkShadowColor = ShiftColor(back, -192);
        p.TextColor = foreColor;
        break;
    }
    case ButtonScheme::StandardGrey:
        p.FaceColor = 0xC0C0C0;
        p.ShadowColor = 0x808080;
        p.LightColor = 0xDFDFDF;
        p.HighlightColor = 0xFFFFFF;
        p.DarkShadowColor = 0x000000;
        p.TextColor = 0x000000;
        break;
    default:
        p.FaceColor = fromQColor(system.color(QPalette::Active, QPalette::Button));
        p.ShadowColor = fromQColor(system.color(QPalette::Active, QPalette::Dark));
        p.LightColor = fromQColor(system.color(QPalette::Active, QPalette::Midlight));
        p.HighlightColor = fromQColor(system.color(QPalette::Active, QPalette::Light));
        p.DarkShadowColor = fromQColor(system.color(QPalette::Active, QPalette::Shadow));
        p.TextColor = fromQColor(system.color(QPalette::Active, QPalette::ButtonText));
        break;
    }
    return p;
}

QRegion regionForLook(qint32 buttonType, int w, int h)
{
    if (w <= 0 || h <= 0) {
        return {};
    }
    QRegion region(0, 0, w, h);
    auto cut = [&region](int x, int y) { region -= QRegion(x, y, 1, 1); };
    switch (buttonType) {
    case ButtonLook::DoubleBevel:
        cut(0, 0);
        cut(0, h - 1);
        cut(w - 1, 0);
        cut(w - 1, h - 1);
        break;
    case ButtonLook::GradientRounded:
    case ButtonLook::SoftRounded:
        cut(0, 0);
        cut(1, 0);
        cut(0, 1);
        cut(0, h - 1);
        cut(1, h - 1);
        cut(0, h - 2);
        cut(w - 2, 0);
        cut(w - 1, 0);
        cut(w - 1, 1);
        cut(w - 2, h - 1);
        cut(w - 1, h - 1);
        cut(w - 1, h - 2);
        break;
    case ButtonLook::FlatBold:
        cut(0, h - 1);
        cut(w - 1, 0);
        break;
    default:
        break;
    }
    return region;
}

QChar accessKeyOf(const QString &caption)
{
    if (caption.size() < 2) {
        return {};
    }
    const qsizetype p = caption.indexOf(QLatin1Char('&'));
    if (p < 0 || p == caption.size() - 1) {
        return {};
    }
    if (caption.at(p + 1) != QLatin1Char('&')) {
        return caption.at(p + 1).toLower();
    }
    // "&&" is a literal ampersand; only the next marker after it may still name a key.
    const qsizetype q = caption.indexOf(QLatin1Char('&'), p + 2);
    if (q < 0 || q == caption.size() - 1) {
        return {};
    }
    if (caption.at(q + 1) != QLatin1Char('&')) {
        return caption.at(q + 1).toLower();
    }
    return {};
}

QString displayedCaption(const QString &caption)
{
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption.at(i + 1) == QLatin1Char('&')) {
                shown += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        shown += caption.at(i);
    }
    return shown;
}

namespace
{

// Tab stops every eight character cells, counted on the caption as shown (markers take no cell).
QString expandTabs(const QString &caption)
{
    if (!caption.contains(QLatin1Char('\t'))) {
        return caption;
    }
    QString expanded;
    int column = 0;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption.at(i);
        if (c == QLatin1Char('\t')) {
            const int spaces = 8 - column % 8;
            expanded += QString(spaces, QLatin1Char(' '));
            column += spaces;
        } else if (c == QLatin1Char('&')) {
            expanded += c;
            if (i + 1 < caption.size() && caption.at(i + 1) == QLatin1Char('&')) {
                expanded += caption.at(++i);
                ++column;
            }
        } else {
            expanded += c;
            ++column;
        }
    }
    return expanded;
}

int nearestEven(double value)
{
    return int(std::nearbyint(value));
}

BoldDrawnAsRegular &boldDrawnAsRegularHint()
{
    static BoldDrawnAsRegular hint;
    return hint;
}

// Some fonts have no bold face and the font engine will not embolden them either: the bitmap
// MS Sans Serif that the windows use draws a bold request in its regular weight. Windows makes
// such a font bold by widening every character by one pixel and striking it a second time one
// pixel to the right; the captions do the same, or FlatBold would lose its bold caption.
bool needsSyntheticBold(const QFont &font)
{
    if (!font.bold()) {
        return false;
    }
    static QHash<QString, bool> known;
    const QString key = font.key();
    if (const auto it = known.constFind(key); it != known.cend()) {
        return *it;
    }
    if (const BoldDrawnAsRegular &hint = boldDrawnAsRegularHint()) {
        if (const std::optional<bool> same = hint(font)) {
            known.insert(key, *same);
            return *same;
        }
    }
    // The probe is drawn no larger than this: a stored font of thousands of pixels would otherwise
    // cost gigabytes for two letters, and above it no face is a bitmap strike that lacks a bold.
    constexpr int kLargestProbePixels = 128;
    QFont bold = font;
    if (QFontInfo(font).pixelSize() > kLargestProbePixels) {
        bold.setPixelSize(kLargestProbePixels);
    }
    QFont regular = bold;
    regular.setBold(false);
    const QString probe = QStringLiteral("Hm");
    const QSize size = QFontMetrics(bold).boundingRect(probe).size() + QSize(4, 4);
    const auto render = [&](const QFont &f) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setFont(f);
        painter.setPen(Qt::white);
        painter.drawText(image.rect(), Qt::AlignCenter, probe);
        painter.end();
        return image;
    };
    const bool same = render(bold) == render(regular);
    if (known.size() >= 64) {
        known.clear(); // the windows use a handful of fonts; stored properties may name any
    }
    known.insert(key, same);
    return same;
}

// A synthetic bold is drawn from the regular weight, which draws the same as the bold would and
// needs no bold face loaded.
QFont widenedForSyntheticBold(QFont font)
{
    font.setBold(false);
    const qreal extra = font.letterSpacingType() == QFont::AbsoluteSpacing ? font.letterSpacing() : 0.0;
    font.setLetterSpacing(QFont::AbsoluteSpacing, extra + 1.0);
    return font;
}

} // namespace

void setBoldDrawnAsRegularHint(BoldDrawnAsRegular hint)
{
    boldDrawnAsRegularHint() = std::move(hint);
}

void ButtonSurface::resize(int w, int h)
{
    w = std::max(w, 0);
    h = std::max(h, 0);
    if (m_image.width() == w && m_image.height() == h) {
        return;
    }
    if (w == 0 || h == 0) {
        m_image = QImage();
        return;
    }
    m_image = QImage(w, h, QImage::Format_RGB32);
    if (m_image.isNull()) {
        qCWarning(lcButton) << "cannot allocate a button surface of" << w << "x" << h << "pixels";
        return;
    }
    m_image.fill(Qt::black);
}

ButtonColor ButtonSurface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height()) {
        return 0;
    }
    return fromQColor(QColor(m_image.pixel(x, y)));
}

void ButtonSurface::fillSpan(int y, int x0, int x1, QRgb rgb)
{
    auto *line = reinterpret_cast<QRgb *>(m_image.scanLine(y));
    std::fill(line + x0, line + x1, rgb);
}

void ButtonSurface::DrawRect(int x, int y, int width, int height, ButtonColor colour, bool frameOnly)
{
    if (width <= 0 || height <= 0 || m_image.isNull()) {
        return;
    }
    const qint64 right = qint64(x) + width; // excluded
    const qint64 bottom = qint64(y) + height;
    const int x0 = int(std::max<qint64>(x, 0));
    const int x1 = int(std::min<qint64>(right, m_image.width()));
    const int y0 = int(std::max<qint64>(y, 0));
    const int y1 = int(std::min<qint64>(bottom, m_image.height()));
    if (x0 >= x1 || y0 >= y1) {
        return;
    }
    const QRgb rgb = toQRgb(colour);
    if (!frameOnly) {
        for (int row = y0; row < y1; ++row) {
            fillSpan(row, x0, x1, rgb);
        }
        return;
    }
    if (y == y0) {
        fillSpan(y0, x0, x1, rgb);
    }
    if (bottom - 1 == y1 - 1) {
        fillSpan(y1 - 1, x0, x1, rgb);
    }
    for (int row = y0; row < y1; ++row) {
        auto *line = reinterpret_cast<QRgb *>(m_image.scanLine(row));
        if (x == x0) {
            line[x0] = rgb;
        }
        if (right - 1 == x1 - 1) {
            line[x1 - 1] = rgb;
        }
    }
}

void ButtonSurface::DrawLine(int x1, int y1, int x2, int y2, ButtonColor colour)
{
    m_textColor = colour;
    if (m_image.isNull() || (x1 == x2 && y1 == y2)) {
        return;
    }
    const QRgb rgb = toQRgb(colour);
    const int w = m_image.width();
    const int h = m_image.height();
    if (y1 == y2) {
        if (y1 < 0 || y1 >= h) {
            return;
        }
        // Covers x1 up to but not including x2, in whichever direction.
        const qint64 from = x2 > x1 ? x1 : qint64(x2) + 1;
        const qint64 to = x2 > x1 ? x2 : qint64(x1) + 1;
        const int a = int(std::max<qint64>(from, 0));
        const int b = int(std::min<qint64>(to, w));
        if (a < b) {
            fillSpan(y1, a, b, rgb);
        }
        return;
    }
    if (x1 == x2) {
        if (x1 < 0 || x1 >= w) {
            return;
        }
        const qint64 from = y2 > y1 ? y1 : qint64(y2) + 1;
        const qint64 to = y2 > y1 ? y2 : qint64(y1) + 1;
        const int a = int(std::max<qint64>(from, 0));
        const int b = int(std::min<qint64>(to, h));
        for (int row = a; row < b; ++row) {
            reinterpret_cast<QRgb *>(m_image.scanLine(row))[x1] = rgb;
        }
        return;
    }
    // No look draws a slanted line; Bresenham keeps the primitive whole, end point excluded.
    qint64 x = x1;
    qint64 y = y1;
    const qint64 dx = std::abs(qint64(x2) - x1);
    const qint64 dy = -std::abs(qint64(y2) - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    qint64 err = dx + dy;
    while (x != x2 || y != y2) {
        if (x >= 0 && x < w && y >= 0 && y < h) {
            reinterpret_cast<QRgb *>(m_image.scanLine(int(y)))[x] = rgb;
        }
        const qint64 e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void ButtonSurface::DrawPixel(int x, int y, ButtonColor colour)
{
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height()) {
        return;
    }
    reinterpret_cast<QRgb *>(m_image.scanLine(y))[x] = toQRgb(colour);
}

void ButtonSurface::invertPixel(int x, int y)
{
    // A dotted outline: every other pixel, on a checkerboard anchored at the surface origin.
    if ((x + y) % 2 != 0 || x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height()) {
        return;
    }
    auto &px = reinterpret_cast<QRgb *>(m_image.scanLine(y))[x];
    px ^= 0x00FFFFFF;
}

void ButtonSurface::DrawFocus(const ButtonRect &r, ButtonColor textColor)
{
    m_textColor = textColor;
    if (r.right <= r.left || r.bottom <= r.top || m_image.isNull()) {
        return;
    }
    const int last = r.bottom - 1;
    for (int x = r.left; x < r.right; ++x) {
        invertPixel(x, r.top);
        if (last != r.top) {
            invertPixel(x, last);
        }
    }
    for (int y = r.top + 1; y < last; ++y) {
        invertPixel(r.left, y);
        if (r.right - 1 != r.left) {
            invertPixel(r.right - 1, y);
        }
    }
}

const ButtonSurface::CaptionMask &ButtonSurface::captionMask(const QString &text, const QFont &font, QSize box)
{
    const QString fontKey = font.key();
    for (const CaptionMask &cached : m_captionCache) {
        if (cached.box == box && cached.text == text && cached.fontKey == fontKey) {
            return cached;
        }
    }
    CaptionMask &slot = m_captionCache[m_nextCacheSlot];
    m_nextCacheSlot = (m_nextCacheSlot + 1) % m_captionCache.size();
    slot.text = text;
    slot.fontKey = fontKey;
    slot.box = box;
    slot.coverage = QImage(box, QImage::Format_ARGB32_Premultiplied);
    slot.coverage.fill(Qt::transparent);
    {
        const bool syntheticBold = needsSyntheticBold(font);
        QPainter painter(&slot.coverage);
        painter.setFont(syntheticBold ? widenedForSyntheticBold(font) : font);
        painter.setPen(Qt::white);
        // Qt clips to the box unless told otherwise, as a caption wider than the control must be.
        const int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
        painter.drawText(QRect(QPoint(0, 0), box), flags, expandTabs(text));
        if (syntheticBold) {
            painter.drawText(QRect(QPoint(1, 0), box), flags, expandTabs(text));
        }
    }
    int left = box.width();
    int right = -1;
    int top = box.height();
    int bottom = -1;
    for (int y = 0; y < box.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(slot.coverage.constScanLine(y));
        for (int x = 0; x < box.width(); ++x) {
            if (qAlpha(line[x]) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    slot.ink = right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
    return slot;
}

void ButtonSurface::drawCaption(const QString &caption, const ButtonRect &layout, const QFont &font)
{
    if (caption.isEmpty() || m_image.isNull() || layout.right <= layout.left || layout.bottom <= layout.top) {
        return;
    }
    // The box may reach past the surface (a layout rectangle of a tiny control); the surface
    // clips what lies outside.
    const QSize box(layout.right - layout.left, layout.bottom - layout.top);
    const CaptionMask &mask = captionMask(caption, font, box);
    if (mask.ink.isEmpty()) {
        return;
    }
    const QRgb ink = toQRgb(m_textColor);
    const int inkR = qRed(ink);
    const int inkG = qGreen(ink);
    const int inkB = qBlue(ink);
    const int y0 = std::max(mask.ink.top(), -layout.top);
    const int y1 = std::min(mask.ink.bottom() + 1, m_image.height() - layout.top);
    const int x0 = std::max(mask.ink.left(), -layout.left);
    const int x1 = std::min(mask.ink.right() + 1, m_image.width() - layout.left);
    for (int y = y0; y < y1; ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(mask.coverage.constScanLine(y));
        auto *dst = reinterpret_cast<QRgb *>(m_image.scanLine(y + layout.top)) + layout.left;
        for (int x = x0; x < x1; ++x) {
            const int a = qAlpha(src[x]);
            if (a == 0) {
                continue;
            }
            if (a == 255) {
                dst[x] = ink;
                continue;
            }
            const QRgb under = dst[x];
            const auto mix = [a](int top, int bottom) { return (top * a + bottom * (255 - a) + 127) / 255; };
            dst[x] = qRgb(mix(inkR, qRed(under)), mix(inkG, qGreen(under)), mix(inkB, qBlue(under)));
        }
    }
}

QSizeF ButtonSurface::measureCaption(const QString &caption, const QFont &font) const
{
    const QFontMetricsF metrics(needsSyntheticBold(font) ? widenedForSyntheticBold(font) : font);
    return {metrics.horizontalAdvance(displayedCaption(expandTabs(caption))), metrics.height()};
}

namespace
{

class LookPainter
{
public:
    LookPainter(ButtonSurface &surface, const LookParams &params)
        : s(surface), p(params), c(params.palette), W(surface.width()), H(surface.height()), L(params.layout)
    {
    }

    void draw();

private:
    void caption(const ButtonRect &r) { s.drawCaption(p.caption, r, font); }
    void captionIn(const ButtonRect &r, ButtonColor colour)
    {
        s.setTextColor(colour);
        caption(r);
    }
    void embossedCaption()
    {
        captionIn(L.TextRectDown, c.HighlightColor);
        captionIn(L.TextRect, c.ShadowColor);
    }
    void fill(int x, int y, int w, int h, ButtonColor colour) { s.DrawRect(x, y, w, h, colour, false); }
    void frame(int x, int y, int w, int h, ButtonColor colour) { s.DrawRect(x, y, w, h, colour, true); }
    void line(int x1, int y1, int x2, int y2, ButtonColor colour) { s.DrawLine(x1, y1, x2, y2, colour); }
    void pixel(int x, int y, ButtonColor colour) { s.DrawPixel(x, y, colour); }
    void focus()
    {
        if (p.focusShown) {
            s.DrawFocus(L.FocusRect, c.TextColor);
        }
    }
    bool defaultEmphasis() const { return p.showFocusRect && p.displayAsDefault; }

    void doubleBevel(bool up, bool pressed);
    void classicBevel();
    void classicPlainBevel();
    void gradientRounded();
    void gradientOutline(ButtonColor outline, ButtonColor corner);
    void softRounded();
    void softUpBevel();
    void softPressedBevel();
    void flatBold();
    void flatBoldCaptionFrame();
    void shadowFrame();
    void shadowFrameBorder(ButtonColor frames, ButtonColor edges, bool fullBottom);
    void thinBevel();

    ButtonSurface &s;
    const LookParams &p;
    const ButtonPalette &c;
    const int W;
    const int H;
    const ButtonLayout &L;
    QFont font = p.font;
};

void LookPainter::draw()
{
    const bool up = p.state == ButtonState::Up;
    const bool pressed = p.state == ButtonState::Down;
    if (p.enabled && !up && !pressed) {
        return;
    }
    switch (p.buttonType) {
    case ButtonLook::DoubleBevel:
        doubleBevel(up, pressed);
        break;
    case ButtonLook::ClassicBevel:
        classicBevel();
        break;
    case ButtonLook::GradientRounded:
        gradientRounded();
        break;
    case ButtonLook::SoftRounded:
        softRounded();
        break;
    case ButtonLook::FlatBold:
        flatBold();
        break;
    case ButtonLook::ShadowFrame:
        shadowFrame();
        break;
    case ButtonLook::ThinBevel:
        thinBevel();
        break;
    default:
        break;
    }
}

void LookPainter::doubleBevel(bool up, bool pressed)
{
    if (!p.enabled) {
        embossedCaption();
    } else {
        caption(up ? L.TextRect : L.TextRectDown);
    }
    const ButtonColor inner = pressed && p.enabled ? c.ShadowColor : c.HighlightColor;
    const ButtonColor outer = pressed && p.enabled ? c.HighlightColor : c.ShadowColor;
    line(1, 0, W - 1, 0, c.DarkShadowColor);
    line(1, H - 1, W - 1, H - 1, c.DarkShadowColor);
    line(0, 1, 0, H - 1, c.DarkShadowColor);
    line(W - 1, 1, W - 1, H - 1, c.DarkShadowColor);
    frame(1, 1, W - 2, H - 2, inner);
    frame(2, 2, W - 4, H - 4, inner);
    line(W - 2, 1, W - 2, H - 1, outer);
    line(W - 3, 2, W - 3, H - 1, outer);
    line(1, H - 2, W - 1, H - 2, outer);
    line(2, H - 3, W - 2, H - 3, outer);
    if (p.enabled) {
        focus();
    }
}

void LookPainter::classicPlainBevel()
{
    frame(0, 0, W - 1, H - 1, c.HighlightColor);
    frame(1, 1, W - 2, H - 2, c.LightColor);
    line(W - 1, 0, W - 1, H, c.DarkShadowColor);
    line(W - 2, 1, W - 2, H - 1, c.ShadowColor);
    line(0, H - 1, W - 1, H - 1, c.DarkShadowColor);
    line(1, H - 2, W - 2, H - 2, c.ShadowColor);
}

void LookPainter::classicBevel()
{
    if (!p.enabled) {
        embossedCaption();
        classicPlainBevel();
        return;
    }
    if (p.state == ButtonState::Up) {
        caption(L.TextRect);
        if (!defaultEmphasis()) {
            classicPlainBevel();
            return;
        }
        frame(1, 1, W - 2, H - 2, c.HighlightColor);
        frame(2, 2, W - 4, H - 4, c.LightColor);
        line(W - 2, 1, W - 2, H - 1, c.DarkShadowColor);
        line(W - 3, 2, W - 3, H - 1, c.ShadowColor);
        line(1, H - 2, W - 1, H - 2, c.DarkShadowColor);
        line(2, H - 3, W - 2, H - 3, c.ShadowColor);
        focus();
        frame(0, 0, W, H, c.DarkShadowColor);
        return;
    }
    caption(L.TextRectDown);
    if (p.showFocusRect) {
        frame(0, 0, W, H, c.DarkShadowColor);
        frame(1, 1, W - 2, H - 2, c.ShadowColor);
        focus();
        return;
    }
    frame(0, 0, W - 1, H - 1, c.DarkShadowColor);
    frame(1, 1, W - 2, H - 2, c.ShadowColor);
    line(W - 1, 0, W - 1, H, c.HighlightColor);
    line(W - 2, 1, W - 2, H - 1, c.LightColor);
    line(0, H - 1, W - 1, H - 1, c.HighlightColor);
    line(1, H - 2, W - 2, H - 2, c.LightColor);
}

void LookPainter::gradientOutline(ButtonColor outline, ButtonColor corner)
{
    line(2, 0, W - 2, 0, outline);
    line(2, H - 1, W - 2, H - 1, outline);
    line(0, 2, 0, H - 2, outline);
    line(W - 1, 2, W - 1, H - 2, outline);
    pixel(1, 1, corner);
    pixel(1, H - 2, corner);
    pixel(W - 2, 1, corner);
    pixel(W - 2, H - 2, corner);
}

void LookPainter::gradientRounded()
{
    const auto shiftP = [](ButtonColor colour, int amount) { return ShiftColor(qint32(colour), amount, true); };
    const ButtonColor base = shiftP(c.FaceColor, 48);
    const ButtonColor base2 = shiftP(base, -32);
    constexpr ButtonColor outline = 0x733C00;
    constexpr ButtonColor outlineCorner = 0x7B4D10;

    if (!p.enabled) {
        fill(0, 0, W, H, shiftP(base, -24));
        captionIn(L.TextRect, shiftP(base, -104));
        gradientOutline(shiftP(base, -84), shiftP(base, -72));
        return;
    }

    // The step is held in single precision and the product rounded half to even: the listed
    // amounts per row depend on both.
    const int rows = H;
    if (p.state == ButtonState::Up) {
        const float step = 25.0f / float(rows);
        for (int i = 1; i <= rows; ++i) {
            const int amount = nearestEven(-double(step) * i);
            line(0, i, W, i, shiftP(base, amount));
        }
        captionIn(L.TextRect, c.TextColor);
        gradientOutline(outline, outlineCorner);
        if (defaultEmphasis() || p.focusShown) {
            frame(1, 2, W - 2, H - 4, 0xE7AE8C);
            line(2, H - 2, W - 2, H - 2, 0xEF826B);
            line(2, 1, W - 2, 1, 0xFFE7CE);
            line(1, 2, W - 1, 2, 0xF7D7BD);
            line(2, 3, 2, H - 3, 0xF0D1B5);
            line(W - 3, 3, W - 3, H - 3, 0xF0D1B5);
        } else {
            line(2, H - 2, W - 2, H - 2, shiftP(base, -48));
            line(1, H - 3, W - 2, H - 3, shiftP(base, -32));
            line(W - 2, 2, W - 2, H - 2, shiftP(base, -36));
            line(W - 3, 3, W - 3, H - 3, shiftP(base, -24));
            line(2, 1, W - 2, 1, shiftP(base, 16));
            line(1, 2, W - 2, 2, shiftP(base, 10));
            line(1, 2, 1, H - 2, shiftP(base, -5));
            line(2, 3, 2, H - 3, shiftP(base, -10));
        }
        return;
    }

    const float step = 15.0f / float(rows);
    for (int i = 1; i <= rows; ++i) {
        const int amount = nearestEven(-double(step) * i);
        line(0, H - i, W, H - i, shiftP(base2, amount));
    }
    captionIn(L.TextRectDown, c.TextColor);
    gradientOutline(outline, outlineCorner);
    line(2, H - 2, W - 2, H - 2, shiftP(base2, 16));
    line(1, H - 3, W - 2, H - 3, shiftP(base2, 10));
    line(W - 2, 2, W - 2, H - 2, shiftP(base2, 5));
    line(W - 3, 3, W - 3, H - 3, base2);
    line(2, 1, W - 2, 1, shiftP(base2, -32));
    line(1, 2, W - 2, 2, shiftP(base2, -24));
    line(1, 2, 1, H - 2, shiftP(base2, -32));
    line(2, 2, 2, H - 2, shiftP(base2, -22));
}

void LookPainter::softUpBevel()
{
    pixel(1, 1, c.DarkShadowColor);
    pixel(1, H - 2, c.DarkShadowColor);
    pixel(W - 2, 1, c.DarkShadowColor);
    pixel(W - 2, H - 2, c.DarkShadowColor);
    pixel(1, 2, c.FaceColor);
    pixel(2, 1, c.FaceColor);
    line(3, 2, W - 3, 2, c.HighlightColor);
    line(2, 2, 2, H - 3, c.HighlightColor);
    pixel(3, 3, c.HighlightColor);
    line(W - 3, 1, W - 3, H - 3, c.FaceColor);
    line(1, H - 3, W - 3, H - 3, c.FaceColor);
    pixel(W - 4, H - 4, c.FaceColor);
    line(W - 2, 3, W - 2, H - 2, c.ShadowColor);
    line(3, H - 2, W - 2, H - 2, c.ShadowColor);
    pixel(W - 3, H - 3, c.ShadowColor);
    pixel(2, H - 2, c.FaceColor);
    pixel(2, H - 3, c.LightColor);
    pixel(W - 2, 2, c.FaceColor);
    pixel(W - 3, 2, c.LightColor);
}

void LookPainter::softPressedBevel()
{
    const auto S = [this](int amount) { return ShiftColor(qint32(c.ShadowColor), amount); };
    frame(1, 1, W - 2, H - 2, S(-64));
    frame(2, 2, W - 4, H - 4, S(-32));
    pixel(2, 2, S(-64));
    pixel(3, 3, S(-32));
    pixel(1, 1, c.DarkShadowColor);
    pixel(1, H - 2, c.DarkShadowColor);
    pixel(W - 2, 1, c.DarkShadowColor);
    pixel(W - 2, H - 2, c.DarkShadowColor);
    line(W - 3, 1, W - 3, H - 3, c.ShadowColor);
    line(1, H - 3, W - 2, H - 3, c.ShadowColor);
    pixel(W - 4, H - 4, c.ShadowColor);
    line(W - 2, 3, W - 2, H - 2, S(-16));
    line(3, H - 2, W - 2, H - 2, S(-16));
    pixel(W - 2, H - 3, S(-32));
    pixel(W - 3, H - 2, S(-32));
    pixel(2, H - 2, S(-32));
    pixel(2, H - 3, S(-16));
    pixel(1, H - 3, S(-16));
    pixel(W - 2, 2, S(-32));
    pixel(W - 3, 2, S(-16));
    pixel(W - 3, 1, S(-16));
}

void LookPainter::softRounded()
{
    const bool pressed = p.enabled && p.state == ButtonState::Down;
    if (pressed) {
        fill(1, 1, W - 2, H - 2, ShiftColor(qint32(c.ShadowColor), -16));
        captionIn(L.TextRectDown, c.LightColor);
    } else {
        fill(1, 1, W - 2, H - 2, c.LightColor);
        if (p.enabled) {
            caption(L.TextRect);
        } else {
            embossedCaption();
        }
    }
    line(2, 0, W - 2, 0, c.DarkShadowColor);
    line(2, H - 1, W - 2, H - 1, c.DarkShadowColor);
    line(0, 2, 0, H - 2, c.DarkShadowColor);
    line(W - 1, 2, W - 1, H - 2, c.DarkShadowColor);
    if (pressed) {
        softPressedBevel();
    } else {
        softUpBevel();
    }
}

void LookPainter::flatBoldCaptionFrame()
{
    if (!p.focusShown) {
        return;
    }
    const QSizeF text = s.measureCaption(p.caption, font);
    const auto tw = float(text.width());
    const auto th = float(text.height());
    const int x = nearestEven(double(float(W) - tw)) / 2 - 3;
    const int y = nearestEven(double(float(H) - th)) / 2 - 1;
    frame(x, y, nearestEven(double(tw + 6.0f)), nearestEven(double(th + 2.0f)), 0xCC9999);
}

void LookPainter::flatBold()
{
    // Only the drawing font turns bold; the Font property keeps its own weight.
    font.setBold(true);
    const auto shift = [](ButtonColor colour, int amount) { return ShiftColor(qint32(colour), amount); };
    if (!p.enabled) {
        captionIn(L.TextRect, c.ShadowColor);
        frame(0, 0, W, H, c.ShadowColor);
    } else if (p.state == ButtonState::Up) {
        fill(1, 1, W - 1, H - 1, shift(c.FaceColor, 12));
        caption(L.TextRect);
        frame(1, 1, W - 1, H - 1, c.HighlightColor);
        frame(0, 0, W - 1, H - 1, shift(c.ShadowColor, -26));
        pixel(1, H - 2, shift(c.ShadowColor, 26));
        pixel(W - 2, 1, shift(c.ShadowColor, 26));
        flatBoldCaptionFrame();
    } else {
        fill(1, 1, W - 2, H - 2, shift(c.ShadowColor, 16));
        frame(0, 0, W - 1, H - 1, shift(c.ShadowColor, -26));
        line(W - 1, 1, W - 1, H, c.HighlightColor);
        line(1, H - 1, W - 1, H - 1, c.HighlightColor);
        // The caption takes the colour the two lines just left behind.
        caption(L.TextRect);
        flatBoldCaptionFrame();
    }
    font.setBold(p.font.bold());
}

void LookPainter::shadowFrameBorder(ButtonColor frames, ButtonColor edges, bool fullBottom)
{
    frame(0, 0, W, H, frames);
    frame(1, 1, W - 2, H - 2, frames);
    line(W - 1, 0, W - 1, H, edges);
    line(W - 2, 1, W - 2, H - 1, edges);
    line(0, H - 1, fullBottom ? W : W - 1, H - 1, edges);
    line(1, H - 2, W - 1, H - 2, edges);
}

void LookPainter::shadowFrame()
{
    const ButtonColor light8 = ShiftColor(qint32(c.LightColor), 8);
    if (!p.enabled) {
        captionIn(L.TextRect, c.ShadowColor);
        shadowFrameBorder(light8, c.ShadowColor, true);
        return;
    }
    if (p.state == ButtonState::Up) {
        caption(L.TextRect);
        shadowFrameBorder(light8, c.ShadowColor, true);
    } else {
        caption(L.TextRectDown);
        shadowFrameBorder(c.ShadowColor, light8, true);
    }
    focus();
}

void LookPainter::thinBevel()
{
    if (!p.enabled) {
        embossedCaption();
        frame(0, 0, W, H, c.HighlightColor);
        line(W - 1, 0, W - 1, H, c.ShadowColor);
        line(0, H - 1, W - 1, H - 1, c.ShadowColor);
        return;
    }
    if (p.state == ButtonState::Up) {
        caption(L.TextRect);
        frame(0, 0, W, H, c.HighlightColor);
        line(W - 1, 0, W - 1, H, c.ShadowColor);
        line(0, H - 1, W, H - 1, c.ShadowColor);
    } else {
        caption(L.TextRectDown);
        frame(0, 0, W, H, c.ShadowColor);
        line(W - 1, 0, W - 1, H, c.HighlightColor);
        line(0, H - 1, W - 1, H - 1, c.HighlightColor);
    }
    focus();
}

} // namespace

void drawLook(ButtonSurface &surface, const LookParams &params)
{
    surface.DrawRect(0, 0, surface.width(), surface.height(), params.palette.FaceColor, false);
    if (params.enabled) {
        surface.setTextColor(params.palette.TextColor);
    }
    LookPainter(surface, params).draw();
}
