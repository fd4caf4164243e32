#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

// A page picture read as the 40 x 25 character cells of a teletext screen, each cell reduced to
// how much ink each of its pixels carries. The colours drop out: a cell's most common colour is
// its background, and a pixel's ink is its colour's distance from that background, scaled so that
// the cell's farthest colour is full ink. Block-graphics cells are blanked, since they hold no
// characters, and double-height characters are squashed into their upper row, so that every
// character that remains is one cell of one size.
class CellGrid
{
public:
    static constexpr int Columns = 40;
    static constexpr int Rows = 25;

    // A picture smaller than 40 x 25 cells of 5 x 8 pixels gives an invalid grid.
    explicit CellGrid(const QImage &picture);

    bool isValid() const { return m_cell.isValid(); }
    QSize cellSize() const { return m_cell; }
    int cellPixels() const { return m_cell.width() * m_cell.height(); }

    // cellWidth x cellHeight bytes, row by row: 0 is background, 255 full ink.
    const uchar *ink(int row, int col) const;
    bool isBlank(int row, int col) const { return at(row, col).blank; }
    bool isMosaic(int row, int col) const { return at(row, col).mosaic; }
    // The cell's character was drawn twice as high, over this cell and the one below, which is
    // blank now.
    bool isDoubleHeight(int row, int col) const { return at(row, col).doubleHeight; }
    // The picture's pixels the cell covers; twice as high for a double-height one.
    QRect cellRect(int row, int col) const;

    // The whole grid as dark ink on white, the picture's size, for a text recogniser.
    QImage normalised() const;

    // Whether two cells of `pixels` pixels carry the same character: the same glyph drawn in
    // any two colours differs by a rounding step at most, while a 0 and an O can differ in no
    // more than the two pixels of the zero's dot, so no pixel may differ by much.
    static bool sameInk(const uchar *a, const uchar *b, int pixels);

private:
    struct Cell {
        QRgb background = 0;
        bool blank = true;
        bool mosaic = false;
        bool doubleHeight = false;
    };
    const Cell &at(int row, int col) const { return m_cells[std::size_t(row * Columns + col)]; }
    Cell &at(int row, int col) { return m_cells[std::size_t(row * Columns + col)]; }
    uchar *inkAt(int row, int col) { return m_ink.data() + std::size_t((row * Columns + col) * cellPixels()); }

    void readCell(const QImage &picture, int row, int col);
    bool looksLikeMosaic(int row, int col) const;
    bool crossesIntoNextRow(int row, int col) const;
    void squashDoubleHeight();

    QSize m_cell;
    QSize m_pictureSize;
    std::vector<Cell> m_cells;
    std::vector<uchar> m_ink;
};

// The character of a row of text at a cell, a space past its end.
inline QChar cellChar(const QString &row, int col)
{
    return col >= 0 && col < row.size() ? row.at(col) : QChar(u' ');
}
