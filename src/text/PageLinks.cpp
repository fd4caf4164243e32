#include "text/PageLinks.h"

#include "text/CellGrid.h"
#include "text/DigitTemplates.h"

#include <functional>

namespace
{

// One row's cells as digits (0-9), decimal marks (-2) or anything else (-1).
constexpr int kOther = -1;
constexpr int kDecimalMark = -2;

template <typename Classify> QList<PageLink> linksInRows(int rows, Classify classify)
{
    QList<PageLink> links;
    for (int row = 1; row < rows; ++row) {
        std::array<int, CellGrid::Columns + 4> cells;
        cells.fill(kOther);
        for (int col = 0; col < CellGrid::Columns; ++col) {
            cells[std::size_t(col + 2)] = classify(row, col);
        }
        auto at = [&cells](int col) { return cells[std::size_t(col + 2)]; };
        auto isDigit = [&](int col) { return at(col) >= 0; };
        for (int col = 0; col + 3 <= CellGrid::Columns; ++col) {
            if (!isDigit(col) || !isDigit(col + 1) || !isDigit(col + 2) || isDigit(col - 1) || isDigit(col + 3)) {
                continue;
            }
            // 3.250 and 250,5 are amounts, not pages.
            if ((at(col - 1) == kDecimalMark && isDigit(col - 2)) || (at(col + 3) == kDecimalMark && isDigit(col + 4))) {
                continue;
            }
            const int page = at(col) * 100 + at(col + 1) * 10 + at(col + 2);
            if (page >= 100 && page <= 899) {
                links.append(PageLink{page, row, col, QRect()});
            }
        }
    }
    return links;
}

bool looksLikeDecimalMark(const CellGrid &grid, int row, int col, int baseline)
{
    // A small blot low in the cell: a full stop or a comma. Where the digits' baseline is known,
    // on it or below it, which a hyphen is not: 501-512 is a range, not a decimal.
    if (grid.isBlank(row, col) || grid.isMosaic(row, col)) {
        return false;
    }
    const QSize size = grid.cellSize();
    const uchar *ink = grid.ink(row, col);
    int top = size.height(), bottom = -1, left = size.width(), right = -1;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            if (ink[y * size.width() + x] >= 128) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return bottom >= 0 && top * 2 >= size.height() && (baseline < 0 || bottom >= baseline - 1) &&
           (bottom - top + 1) * 5 <= size.height() * 2 && (right - left + 1) * 2 <= size.width();
}

} // namespace

QList<PageLink> findPageLinks(const CellGrid &grid, const DigitTemplates &templates, const QStringList &readRows)
{
    if (!grid.isValid() || templates.cellSize() != grid.cellSize()) {
        return {};
    }
    const bool complete = templates.isComplete();
    const int baseline = templates.baseline();
    QList<PageLink> links = linksInRows(CellGrid::Rows, [&](int row, int col) {
        if (grid.isBlank(row, col) || grid.isMosaic(row, col)) {
            return kOther;
        }
        if (const std::optional<int> digit = templates.match(grid.ink(row, col))) {
            return *digit;
        }
        const QChar read = cellChar(readRows.value(row), col);
        if (!complete && read.isDigit() && read.unicode() <= u'9') {
            // The recogniser's digit counts only where no known digit contradicts it.
            const int digit = read.unicode() - u'0';
            if (!templates.has(digit)) {
                return digit;
            }
        }
        if (read == u'.' || read == u',' || looksLikeDecimalMark(grid, row, col, baseline)) {
            return kDecimalMark;
        }
        return kOther;
    });
    if (!complete) {
        // The recogniser alone confuses digits it has not been shown yet (8 and 9 for two zeros):
        // a number stands only where a digit already learned vouches for at least one of its cells.
        links.removeIf([&](const PageLink &link) {
            for (int i = 0; i < 3; ++i) {
                if (templates.match(grid.ink(link.row, link.column + i))) {
                    return false;
                }
            }
            return true;
        });
    }
    for (PageLink &link : links) {
        link.rect = grid.cellRect(link.row, link.column).united(grid.cellRect(link.row, link.column + 2));
    }
    return links;
}

QList<PageLink> pageLinksInText(const QStringList &rows)
{
    return linksInRows(int(std::min<qsizetype>(rows.size(), CellGrid::Rows)), [&](int row, int col) {
        const QChar ch = cellChar(rows.at(row), col);
        if (ch >= u'0' && ch <= u'9') {
            return ch.unicode() - u'0';
        }
        return ch == u'.' || ch == u',' ? kDecimalMark : kOther;
    });
}
