#pragma once

#include <QImage>
#include <QStringView>

#include <array>

// A teletext screen as a grid of character cells, and its drawing into a picture.
namespace Teletext
{

inline constexpr int Columns = 40;
inline constexpr int Rows = 25;
inline constexpr int CellWidth = 9;
inline constexpr int CellHeight = 16;
inline constexpr int ImageWidth = Columns * CellWidth; // 360
inline constexpr int ImageHeight = Rows * CellHeight;  // 400

// The eight teletext colours, in their broadcast order.
enum class Colour : quint8 { Black, Red, Green, Yellow, Blue, Magenta, Cyan, White };

QRgb rgb(Colour colour);

// Block-graphics cells are split into 2 x 3 "sextants"; bit 0 is the top left one, bit 1 the top
// right, then the middle pair and the bottom pair.
inline constexpr quint8 FullBlock = 0x3f;

class Page
{
public:
    // Writes text from (row, col) on; whatever runs past the right edge is dropped.
    void text(int row, int col, QStringView text, Colour fg, Colour bg = Colour::Black);
    // Double-height text takes the given row and the one below it.
    void doubleText(int row, int col, QStringView text, Colour fg, Colour bg = Colour::Black);
    void mosaic(int row, int col, quint8 sextants, Colour fg, Colour bg = Colour::Black);
    // Blanks `count` cells to the background colour.
    void fill(int row, int col, int count, Colour bg);

    QImage toImage() const;
    // The characters of one row as they read, block graphics and the lower halves of
    // double-height characters as blanks.
    QString rowText(int row) const;

private:
    enum class Kind : quint8 { Glyph, Mosaic, DoubleTop, DoubleBottom };
    struct Cell {
        char16_t ch = u' ';
        quint8 sextants = 0;
        Kind kind = Kind::Glyph;
        Colour fg = Colour::White;
        Colour bg = Colour::Black;
    };

    Cell *cell(int row, int col);
    void drawCell(QImage &image, int row, int col, const Cell &cell) const;

    std::array<Cell, Rows * Columns> m_cells{};
};

} // namespace Teletext
