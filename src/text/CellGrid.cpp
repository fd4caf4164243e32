#include "text/CellGrid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace
{

// Below this colour distance (of 441 between black and white) a cell's pixels are one colour
// with noise: a blank cell.
constexpr int kBlankDistance = 40;
// A pixel counts as inked from half ink up, as background below it.
constexpr int kHalfInk = 128;
// Two cells are the same character when none of their pixels differs by more than this.
constexpr int kSameInk = 64;

int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return int(std::lround(std::sqrt(double(dr * dr + dg * dg + db * db))));
}

} // namespace

CellGrid::CellGrid(const QImage &picture)
{
    const QSize cell(picture.width() / Columns, picture.height() / Rows);
    if (picture.isNull() || cell.width() < 5 || cell.height() < 8) {
        return;
    }
    m_cell = cell;
    m_pictureSize = picture.size();
    m_cells.resize(std::size_t(Rows * Columns));
    m_ink.assign(std::size_t(Rows * Columns * cellPixels()), 0);
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    for (int row = 0; row < Rows; ++row) {
        for (int col = 0; col < Columns; ++col) {
            readCell(rgb, row, col);
        }
    }
    for (int row = 0; row < Rows; ++row) {
        for (int col = 0; col < Columns; ++col) {
            if (!at(row, col).blank && looksLikeMosaic(row, col)) {
                at(row, col).mosaic = true;
            }
        }
    }
    squashDoubleHeight();
}

const uchar *CellGrid::ink(int row, int col) const
{
    return m_ink.data() + std::size_t((row * Columns + col) * cellPixels());
}

QRect CellGrid::cellRect(int row, int col) const
{
    const int height = isDoubleHeight(row, col) ? 2 * m_cell.height() : m_cell.height();
    return {col * m_cell.width(), row * m_cell.height(), m_cell.width(), height};
}

void CellGrid::readCell(const QImage &picture, int row, int col)
{
    const int width = m_cell.width();
    const int height = m_cell.height();
    const int x0 = col * width;
    const int y0 = row * height;

    // A teletext cell holds two colours, an antialiased one a few dozen at most.
    std::vector<std::pair<QRgb, int>> counts;
    for (int y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y0 + y)) + x0;
        for (int x = 0; x < width; ++x) {
            const QRgb colour = line[x] | 0xff000000u;
            auto found = std::find_if(counts.begin(), counts.end(), [colour](const auto &c) { return c.first == colour; });
            if (found == counts.end()) {
                counts.emplace_back(colour, 1);
            } else {
                ++found->second;
            }
        }
    }
    // The background is the colour of the cell's left and right edges, where a character's strokes
    // seldom reach: a bold glyph drawn twice as high can have more ink than paper, and would be
    // read inverted, as the holes between its strokes. Ties go to the colour of most pixels.
    std::vector<std::pair<QRgb, int>> edges;
    for (int y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y0 + y)) + x0;
        for (const int x : {0, width - 1}) {
            const QRgb colour = line[x] | 0xff000000u;
            auto found =
                std::find_if(edges.begin(), edges.end(), [colour](const auto &c) { return c.first == colour; });
            if (found == edges.end()) {
                edges.emplace_back(colour, 1);
            } else {
                ++found->second;
            }
        }
    }
    auto total = [&counts](QRgb colour) {
        return std::find_if(counts.begin(), counts.end(), [colour](const auto &c) { return c.first == colour; })
            ->second;
    };
    const QRgb background = std::max_element(edges.begin(), edges.end(), [&](const auto &a, const auto &b) {
                                return a.second < b.second || (a.second == b.second && total(a.first) < total(b.first));
                            })->first;
    int farthest = 0;
    for (const auto &[colour, count] : counts) {
        farthest = std::max(farthest, distance(colour, background));
    }
    Cell &cell = at(row, col);
    cell.background = background;
    cell.blank = farthest < kBlankDistance;
    if (cell.blank) {
        return;
    }
    uchar *out = inkAt(row, col);
    for (int y = 0; y < height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y0 + y)) + x0;
        for (int x = 0; x < width; ++x) {
            out[y * width + x] = uchar(std::min(255, distance(line[x] | 0xff000000u, background) * 255 / farthest));
        }
    }
}

bool CellGrid::looksLikeMosaic(int row, int col) const
{
    // Block graphics split the cell into 2 x 3 blocks, each all ink or all background; a
    // character's strokes never fill blocks that cleanly. A pixel either side of a block's edge
    // is left out, for renderings that place the edges a pixel differently.
    const int width = m_cell.width();
    const int height = m_cell.height();
    const int splitX = (width * 5 + 4) / 9;
    const int splitY[] = {0, (height * 5 + 8) / 16, (height * 11 + 8) / 16, height};
    const int splitXs[] = {0, splitX, width};
    const uchar *cell = ink(row, col);
    bool anyFull = false;
    for (int by = 0; by < 3; ++by) {
        for (int bx = 0; bx < 2; ++bx) {
            int inked = 0;
            int total = 0;
            for (int y = splitY[by] + (by > 0 ? 1 : 0); y < splitY[by + 1] - (by < 2 ? 1 : 0); ++y) {
                for (int x = splitXs[bx] + (bx > 0 ? 1 : 0); x < splitXs[bx + 1] - (bx < 1 ? 1 : 0); ++x) {
                    ++total;
                    inked += cell[y * width + x] >= kHalfInk ? 1 : 0;
                }
            }
            if (total == 0) {
                return false;
            }
            // All but one pixel one way or the other.
            if (inked >= total - 1 && total > 1) {
                anyFull = true;
            } else if (inked > 1 || (total <= 2 && inked > 0)) {
                return false;
            }
        }
    }
    return anyFull;
}

bool CellGrid::crossesIntoNextRow(int row, int col) const
{
    // A double-height character's strokes run on across the edge between its two cells; a row of
    // ordinary text leaves a gap there, save for the odd descender over a capital.
    const Cell &top = at(row, col);
    const Cell &bottom = at(row + 1, col);
    if (top.blank || bottom.blank || top.mosaic || bottom.mosaic || top.background != bottom.background) {
        return false;
    }
    const int width = m_cell.width();
    const uchar *lastLine = ink(row, col) + (m_cell.height() - 1) * width;
    const uchar *firstLine = ink(row + 1, col);
    for (int x = 0; x < width; ++x) {
        if (lastLine[x] < kHalfInk) {
            continue;
        }
        for (int dx = -1; dx <= 1; ++dx) {
            if (x + dx >= 0 && x + dx < width && firstLine[x + dx] >= kHalfInk) {
                return true;
            }
        }
    }
    return false;
}

void CellGrid::squashDoubleHeight()
{
    const int width = m_cell.width();
    const int height = m_cell.height();
    std::vector<uchar> pair(std::size_t(2 * cellPixels()));
    for (int row = 0; row + 1 < Rows; ++row) {
        // Runs of crossing cells, bridged over the spaces and the low punctuation between words;
        // a lone crossing cell is a descender, not a title.
        std::vector<bool> crossing(Columns);
        for (int col = 0; col < Columns; ++col) {
            crossing[std::size_t(col)] = !at(row, col).doubleHeight && crossesIntoNextRow(row, col);
        }
        int col = 0;
        while (col < Columns) {
            if (!crossing[std::size_t(col)]) {
                ++col;
                continue;
            }
            int end = col;
            int crossings = 0;
            for (int next = col; next < Columns; ++next) {
                if (crossing[std::size_t(next)]) {
                    end = next;
                    ++crossings;
                } else if (next - end > 2) {
                    break;
                }
            }
            if (crossings >= 2) {
                for (int c = col; c <= end; ++c) {
                    Cell &top = at(row, c);
                    Cell &bottom = at(row + 1, c);
                    if (top.mosaic || bottom.mosaic || (!top.blank && !bottom.blank && top.background != bottom.background)) {
                        continue;
                    }
                    std::copy_n(ink(row, c), cellPixels(), pair.begin());
                    std::copy_n(ink(row + 1, c), cellPixels(), pair.begin() + cellPixels());
                    uchar *out = inkAt(row, c);
                    for (int y = 0; y < height; ++y) {
                        for (int x = 0; x < width; ++x) {
                            out[y * width + x] =
                                uchar((pair[std::size_t(2 * y * width + x)] + pair[std::size_t((2 * y + 1) * width + x)] + 1) / 2);
                        }
                    }
                    top.blank = std::none_of(out, out + cellPixels(), [](uchar v) { return v >= kHalfInk; });
                    top.doubleHeight = true;
                    bottom.blank = true;
                    std::fill_n(inkAt(row + 1, c), cellPixels(), uchar(0));
                }
            }
            col = end + 1;
        }
    }
}

bool CellGrid::sameInk(const uchar *a, const uchar *b, int pixels)
{
    for (int i = 0; i < pixels; ++i) {
        if (std::abs(int(a[i]) - int(b[i])) > kSameInk) {
            return false;
        }
    }
    return true;
}

QImage CellGrid::normalised() const
{
    QImage page(m_pictureSize, QImage::Format_Grayscale8);
    page.fill(255);
    if (!isValid()) {
        return page;
    }
    const int width = m_cell.width();
    const int height = m_cell.height();
    for (int row = 0; row < Rows; ++row) {
        for (int col = 0; col < Columns; ++col) {
            if (isBlank(row, col) || isMosaic(row, col)) {
                continue;
            }
            const uchar *cell = ink(row, col);
            for (int y = 0; y < height; ++y) {
                uchar *line = page.scanLine(row * height + y) + col * width;
                for (int x = 0; x < width; ++x) {
                    line[x] = uchar(255 - cell[y * width + x]);
                }
            }
        }
    }
    return page;
}
