#include "text/DigitTemplates.h"

#include "text/CellGrid.h"
#include "text/TextLog.h"

#include <QFile>
#include <QSettings>

#include <algorithm>

namespace
{

QString groupFor(QSize cell)
{
    return QStringLiteral("digits-%1x%2").arg(cell.width()).arg(cell.height());
}

// What a text recogniser reads a digit as when it misreads it as a letter.
int readScore(QChar read, int digit)
{
    // A slashed or dotted zero comes back as a struck O or as an 8.
    static const char16_t *const lookalikes[10] = {u"OoDQ\u00d8\u00f8B8", u"lI|i", u"Z", u"", u"A", u"S", u"G", u"", u"B", u"g"};
    if (read == QChar(u'0' + digit)) {
        return 2;
    }
    return QStringView(lookalikes[digit]).contains(read) ? 1 : 0;
}

std::array<int, 3> digitsOf(int page)
{
    return {page / 100, page / 10 % 10, page % 10};
}

} // namespace

bool DigitTemplates::isComplete() const
{
    return known() == 10;
}

int DigitTemplates::known() const
{
    int count = 0;
    for (const QByteArray &ink : m_ink) {
        count += ink.isEmpty() ? 0 : 1;
    }
    return count;
}

void DigitTemplates::clear()
{
    m_headerColumn = -1;
    m_ink = {};
}

int DigitTemplates::baseline() const
{
    int lowest = -1;
    for (const QByteArray &ink : m_ink) {
        for (int y = m_cell.height() - 1; y > lowest && !ink.isEmpty(); --y) {
            const char *line = ink.constData() + y * m_cell.width();
            if (std::any_of(line, line + m_cell.width(), [](char v) { return uchar(v) >= 128; })) {
                lowest = y;
            }
        }
    }
    return lowest;
}

bool DigitTemplates::matches(int digit, const uchar *ink) const
{
    const QByteArray &known = m_ink[std::size_t(digit)];
    return !known.isEmpty() &&
           CellGrid::sameInk(reinterpret_cast<const uchar *>(known.constData()), ink, m_cell.width() * m_cell.height());
}

std::optional<int> DigitTemplates::match(const uchar *ink) const
{
    std::optional<int> found;
    for (int digit = 0; digit < 10; ++digit) {
        if (matches(digit, ink)) {
            if (found) {
                // Two digits alike: the cell size is too small to tell them apart.
                return std::nullopt;
            }
            found = digit;
        }
    }
    return found;
}

bool DigitTemplates::numberFitsAt(const CellGrid &grid, int col, const std::array<int, 3> &digits) const
{
    if (col < 0 || col + 3 > CellGrid::Columns) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        if (grid.isBlank(0, col + i) || grid.isMosaic(0, col + i) || grid.isDoubleHeight(0, col + i)) {
            return false;
        }
    }
    // Equal digits are equal cells and different digits different ones, whatever is known yet.
    for (int i = 0; i < 3; ++i) {
        for (int j = i + 1; j < 3; ++j) {
            if ((digits[std::size_t(i)] == digits[std::size_t(j)]) !=
                CellGrid::sameInk(grid.ink(0, col + i), grid.ink(0, col + j), grid.cellPixels())) {
                return false;
            }
        }
    }
    // A cell may not look like a digit other than its own.
    for (int i = 0; i < 3; ++i) {
        const std::optional<int> seen = match(grid.ink(0, col + i));
        if (seen && *seen != digits[std::size_t(i)]) {
            return false;
        }
    }
    return true;
}

int DigitTemplates::findNumber(const CellGrid &grid, const std::array<int, 3> &digits, const QString &headerText) const
{
    // Where the recogniser read the page number, or most of it, in cells that hold it
    // consistently; the leftmost best place, since headers start with the page number.
    int best = -1;
    int bestScore = 3;
    int first = 0;
    while (first < CellGrid::Columns && (grid.isBlank(0, first) || cellChar(headerText, first).isSpace())) {
        ++first;
    }
    for (int col = 0; col + 3 <= CellGrid::Columns; ++col) {
        // Where a header's page number stands: first, or just after the P of "P100".
        int score = col == first || (col == first + 1 && cellChar(headerText, first) == u'P') ? 2 : 0;
        for (int i = 0; i < 3; ++i) {
            score += readScore(cellChar(headerText, col + i), digits[std::size_t(i)]);
        }
        if (score > bestScore && numberFitsAt(grid, col, digits)) {
            best = col;
            bestScore = score;
        }
    }
    return best;
}

void DigitTemplates::learnAt(const CellGrid &grid, int col, const std::array<int, 3> &digits)
{
    m_headerColumn = col;
    const auto bytes = qsizetype(grid.cellPixels());
    for (int i = 0; i < 3; ++i) {
        QByteArray &known = m_ink[std::size_t(digits[std::size_t(i)])];
        if (known.isEmpty()) {
            known = QByteArray(reinterpret_cast<const char *>(grid.ink(0, col + i)), bytes);
        }
    }
}

DigitTemplates::HeaderCheck DigitTemplates::checkHeader(const CellGrid &grid, int page, const QString &headerText)
{
    if (!grid.isValid() || grid.cellSize() != m_cell || page < 100 || page > 899) {
        return HeaderCheck::NotFound;
    }
    const std::array<int, 3> digits = digitsOf(page);
    if (m_headerColumn >= 0) {
        if (numberFitsAt(grid, m_headerColumn, digits)) {
            const int before = known();
            learnAt(grid, m_headerColumn, digits);
            return known() == before ? HeaderCheck::Agreed : HeaderCheck::Learned;
        }
        qCInfo(lcText) << "the header of page" << page << "disagrees with the digits learned for cells of"
                       << m_cell << "; they are learned again";
        clear();
        const int col = findNumber(grid, digits, headerText);
        if (col < 0) {
            return HeaderCheck::Relearned;
        }
        learnAt(grid, col, digits);
        return HeaderCheck::Relearned;
    }
    const int col = findNumber(grid, digits, headerText);
    if (col < 0) {
        qCDebug(lcText) << "page" << page << "not found in the header" << headerText;
        return HeaderCheck::NotFound;
    }
    learnAt(grid, col, digits);
    return HeaderCheck::Learned;
}

DigitTemplates DigitTemplates::load(const QString &path, QSize cell)
{
    DigitTemplates templates(cell);
    if (!QFile::exists(path)) {
        return templates;
    }
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(groupFor(cell));
    const auto bytes = qsizetype(cell.width() * cell.height());
    bool isNumber = false;
    const int column = settings.value(QStringLiteral("header-column"), -1).toInt(&isNumber);
    templates.m_headerColumn = isNumber && column >= 0 && column + 3 <= CellGrid::Columns ? column : -1;
    for (int digit = 0; digit < 10; ++digit) {
        const QByteArray ink = QByteArray::fromBase64(settings.value(QString::number(digit)).toByteArray());
        if (ink.size() == bytes) {
            templates.m_ink[std::size_t(digit)] = ink;
        } else if (!ink.isEmpty()) {
            qCWarning(lcText) << "the digit" << digit << "kept in" << path << "for cells of" << cell
                              << "has the wrong size; it is learned again";
        }
    }
    if (settings.status() != QSettings::NoError) {
        qCWarning(lcText) << "cannot read the digits kept in" << path << "; they are learned again";
        return DigitTemplates(cell);
    }
    if (templates.m_headerColumn < 0) {
        templates.m_ink = {};
    }
    return templates;
}

bool DigitTemplates::save(const QString &path) const
{
    QSettings settings(path, QSettings::IniFormat);
    settings.setAtomicSyncRequired(true);
    settings.remove(groupFor(m_cell));
    settings.beginGroup(groupFor(m_cell));
    if (m_headerColumn >= 0) {
        settings.setValue(QStringLiteral("header-column"), m_headerColumn);
        for (int digit = 0; digit < 10; ++digit) {
            if (has(digit)) {
                settings.setValue(QString::number(digit), m_ink[std::size_t(digit)].toBase64());
            }
        }
    }
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        qCWarning(lcText) << "cannot keep the learned digits in" << path;
        return false;
    }
    return true;
}
