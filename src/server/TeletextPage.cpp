#include "TeletextPage.h"

#include "ServerLogging.h"
#include "TeletextFont.h"

namespace Teletext
{
namespace
{

// A glyph pixel is one pixel wide, smeared one pixel to the right for the heavy teletext stroke,
// and two pixels high (four in double height), so a 5 x 8 glyph fills a 9 x 16 cell the way the
// broadcast characters do.
constexpr int GlyphLeft = 2;
constexpr int RowScale = 2;

// Sextant boundaries inside a cell.
constexpr int SextantSplitX = 5;
constexpr std::array<int, 4> SextantY = {0, 5, 11, CellHeight};

} // namespace

QRgb rgb(Colour colour)
{
    const auto bits = static_cast<unsigned>(colour);
    return qRgb((bits & 1) ? 255 : 0, (bits & 2) ? 255 : 0, (bits & 4) ? 255 : 0);
}

Page::Cell *Page::cell(int row, int col)
{
    if (row < 0 || row >= Rows || col < 0 || col >= Columns) {
        return nullptr;
    }
    return &m_cells[static_cast<std::size_t>(row * Columns + col)];
}

void Page::text(int row, int col, QStringView text, Colour fg, Colour bg)
{
    for (const QChar ch : text) {
        if (!TeletextFont::hasGlyph(ch.unicode())) {
            qCWarning(lcServer) << "no glyph for" << ch << "in" << text;
        }
        if (Cell *c = cell(row, col++)) {
            *c = Cell{ch.unicode(), 0, Kind::Glyph, fg, bg};
        }
    }
}

void Page::doubleText(int row, int col, QStringView text, Colour fg, Colour bg)
{
    for (const QChar ch : text) {
        if (!TeletextFont::hasGlyph(ch.unicode())) {
            qCWarning(lcServer) << "no glyph for" << ch << "in" << text;
        }
        Cell *top = cell(row, col);
        Cell *bottom = cell(row + 1, col);
        ++col;
        if (top && bottom) {
            *top = Cell{ch.unicode(), 0, Kind::DoubleTop, fg, bg};
            *bottom = Cell{ch.unicode(), 0, Kind::DoubleBottom, fg, bg};
        }
    }
}

void Page::mosaic(int row, int col, quint8 sextants, Colour fg, Colour bg)
{
    if (Cell *c = cell(row, col)) {
        *c = Cell{u' ', static_cast<quint8>(sextants & FullBlock), Kind::Mosaic, fg, bg};
    }
}

void Page::fill(int row, int col, int count, Colour bg)
{
    for (int i = 0; i < count; ++i) {
        if (Cell *c = cell(row, col + i)) {
            *c = Cell{u' ', 0, Kind::Glyph, Colour::White, bg};
        }
    }
}

QString Page::rowText(int row) const
{
    QString text;
    if (row < 0 || row >= Rows) {
        return text;
    }
    for (int col = 0; col < Columns; ++col) {
        const Cell &c = m_cells[static_cast<std::size_t>(row * Columns + col)];
        // The lower half of a double-height character reads as nothing: it is the one above.
        text += c.kind == Kind::Mosaic || c.kind == Kind::DoubleBottom ? QChar(u' ') : QChar(c.ch);
    }
    return text;
}

QImage Page::toImage() const
{
    // Eight colours fit a palette: a quarter of the pixel data of RGB, so the PNG encodes several
    // times faster, and each pixel holds its colour's teletext number.
    QImage image(ImageWidth, ImageHeight, QImage::Format_Indexed8);
    QList<QRgb> palette;
    for (int colour = 0; colour < 8; ++colour) {
        palette.append(rgb(static_cast<Colour>(colour)));
    }
    image.setColorTable(palette);
    // Fixed rather than taken from the screen, so the PNG is the same in and out of a GUI process.
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    for (int row = 0; row < Rows; ++row) {
        for (int col = 0; col < Columns; ++col) {
            drawCell(image, row, col, m_cells[static_cast<std::size_t>(row * Columns + col)]);
        }
    }
    return image;
}

void Page::drawCell(QImage &image, int row, int col, const Cell &c) const
{
    const int x0 = col * CellWidth;
    const int y0 = row * CellHeight;
    const auto fg = static_cast<uchar>(c.fg);
    const auto bg = static_cast<uchar>(c.bg);

    for (int y = 0; y < CellHeight; ++y) {
        uchar *line = image.scanLine(y0 + y) + x0;
        for (int x = 0; x < CellWidth; ++x) {
            line[x] = bg;
        }
    }

    if (c.kind == Kind::Mosaic) {
        for (int part = 0; part < 6; ++part) {
            if (!(c.sextants & (1 << part))) {
                continue;
            }
            const int left = (part % 2) ? SextantSplitX : 0;
            const int right = (part % 2) ? CellWidth : SextantSplitX;
            for (int y = SextantY[static_cast<std::size_t>(part / 2)];
                 y < SextantY[static_cast<std::size_t>(part / 2 + 1)]; ++y) {
                uchar *line = image.scanLine(y0 + y) + x0;
                for (int x = left; x < right; ++x) {
                    line[x] = fg;
                }
            }
        }
        return;
    }

    // Double height draws the glyph over a virtual 32-pixel cell and keeps this cell's half of it.
    const bool doubled = c.kind == Kind::DoubleTop || c.kind == Kind::DoubleBottom;
    const int scale = doubled ? 2 * RowScale : RowScale;
    const int shift = c.kind == Kind::DoubleBottom ? CellHeight : 0;

    const TeletextFont::Glyph &glyph = TeletextFont::glyph(c.ch);
    for (int gy = 0; gy < TeletextFont::GlyphHeight; ++gy) {
        const quint8 bits = glyph[static_cast<std::size_t>(gy)];
        if (!bits) {
            continue;
        }
        for (int dy = 0; dy < scale; ++dy) {
            const int y = gy * scale + dy - shift;
            if (y < 0 || y >= CellHeight) {
                continue;
            }
            uchar *line = image.scanLine(y0 + y) + x0;
            for (int gx = 0; gx < TeletextFont::GlyphWidth; ++gx) {
                if (bits & (0x10 >> gx)) {
                    line[GlyphLeft + gx] = fg;
                    line[GlyphLeft + gx + 1] = fg;
                }
            }
        }
    }
}

} // namespace Teletext
