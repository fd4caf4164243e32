#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <array>
#include <optional>

class CellGrid;

// How the ten digits look in the cells of one cell size, learned from the header lines of the
// pages shown, where the page's own number is known. A cell is a digit only when it matches that
// digit's cell almost pixel for pixel: a missing link is better than a wrong one.
class DigitTemplates
{
public:
    DigitTemplates() = default;
    explicit DigitTemplates(QSize cell) : m_cell(cell) {}

    QSize cellSize() const { return m_cell; }
    bool has(int digit) const { return !m_ink[std::size_t(digit)].isEmpty(); }
    bool isComplete() const;
    int known() const;
    // The header's column of the page number's first digit; -1 while not found.
    int headerColumn() const { return m_headerColumn; }

    // The lowest row of the cell the known digits' ink reaches, the line they stand on; -1 while
    // none is known.
    int baseline() const;

    bool matches(int digit, const uchar *ink) const;
    // The one known digit the cell matches.
    std::optional<int> match(const uchar *ink) const;

    enum class HeaderCheck {
        Agreed,   // the header's digits are the ones known
        Learned,  // digits not known before were taken from it
        Relearned, // the header disagreed with what was known, which was dropped for it
        NotFound,  // the page number was not found in the header; nothing changed
    };
    // Holds the header of `grid` against the digits of `page` (100-899). `headerText` is the
    // header row as the text recogniser read it, one character a cell (empty when there is none);
    // it is needed only to find where the number is, until that is known.
    HeaderCheck checkHeader(const CellGrid &grid, int page, const QString &headerText);

    void clear();

    // Kept in the settings file `path` under the cell size. A missing or unreadable entry gives no
    // digits.
    static DigitTemplates load(const QString &path, QSize cell);
    bool save(const QString &path) const;

private:
    bool numberFitsAt(const CellGrid &grid, int col, const std::array<int, 3> &digits) const;
    void learnAt(const CellGrid &grid, int col, const std::array<int, 3> &digits);
    int findNumber(const CellGrid &grid, const std::array<int, 3> &digits, const QString &headerText) const;

    QSize m_cell;
    int m_headerColumn = -1;
    std::array<QByteArray, 10> m_ink;
};
