#include "text/PageReader.h"

#include "text/CellGrid.h"
#include "text/TextLog.h"

#include <algorithm>
#include <vector>

PageReader::PageReader(QString settingsPath, QString language)
    : m_settingsPath(std::move(settingsPath)), m_engine(std::move(language))
{
}

DigitTemplates &PageReader::templatesFor(QSize cell)
{
    const auto key = std::make_pair(cell.width(), cell.height());
    auto found = m_templates.find(key);
    if (found == m_templates.end()) {
        found = m_templates.emplace(key, DigitTemplates::load(m_settingsPath, cell)).first;
        qCDebug(lcText) << found->second.known() << "digits known for cells of" << cell;
    }
    return found->second;
}

const DigitTemplates &PageReader::templates(QSize cell)
{
    return templatesFor(cell);
}

void PageReader::keep(const DigitTemplates &templates)
{
    if (!m_settingsPath.isEmpty()) {
        templates.save(m_settingsPath);
    }
}

QString PageReader::read(const CellGrid &grid, int page, const std::function<bool()> &cancelled,
                         const std::function<void(const QList<PageLink> &)> &linksFound)
{
    if (!grid.isValid()) {
        qCWarning(lcText) << "the picture is too small for a teletext page; it is not read";
        linksFound({});
        return {};
    }
    DigitTemplates &templates = templatesFor(grid.cellSize());
    bool linksSent = false;
    if (templates.isComplete()) {
        if (templates.checkHeader(grid, page, {}) == DigitTemplates::HeaderCheck::Agreed) {
            linksFound(findPageLinks(grid, templates));
            linksSent = true;
        } else {
            keep(templates);
        }
    }
    if (cancelled()) {
        return {};
    }
    const QStringList rows = m_engine.readGrid(grid.normalised(), grid.cellSize(), cancelled);
    if (cancelled()) {
        return {};
    }
    if (!linksSent) {
        if (!rows.isEmpty()) {
            const int before = templates.known();
            const DigitTemplates::HeaderCheck check = templates.checkHeader(grid, page, rows.constFirst());
            if (check == DigitTemplates::HeaderCheck::Relearned ||
                (check == DigitTemplates::HeaderCheck::Learned && templates.known() != before)) {
                qCInfo(lcText) << templates.known() << "of the ten digits known for cells of" << grid.cellSize();
                keep(templates);
            }
        }
        linksFound(findPageLinks(grid, templates, rows));
    }
    if (rows.isEmpty()) {
        return {};
    }
    return composeText(grid, templates, rows);
}

QString PageReader::composeText(const CellGrid &grid, const DigitTemplates &templates, const QStringList &readRows)
{
    // What each cell holds: nothing for a blank cell or block graphics, else the digit the
    // templates know or the recogniser's character.
    std::vector<QChar> chars(std::size_t(CellGrid::Rows * CellGrid::Columns), u' ');
    std::vector<bool> known(chars.size(), false);
    std::vector<int> inked;
    for (int row = 0; row < CellGrid::Rows; ++row) {
        for (int col = 0; col < CellGrid::Columns; ++col) {
            if (grid.isBlank(row, col) || grid.isMosaic(row, col)) {
                continue;
            }
            const int at = row * CellGrid::Columns + col;
            inked.push_back(at);
            // The recogniser misreads a zero as a nine now and then; the learned digits do not.
            if (templates.cellSize() == grid.cellSize()) {
                if (const std::optional<int> digit = templates.match(grid.ink(row, col))) {
                    chars[std::size_t(at)] = QChar(u'0' + *digit);
                    known[std::size_t(at)] = true;
                    continue;
                }
            }
            chars[std::size_t(at)] = cellChar(readRows.value(row), col);
        }
    }

    // The cells of a page that carry the same ink hold the same character, so the reading most of
    // them got stands for all: the recogniser misreads a character here and there, and skips one
    // now and then (a full stop at the end of a line, a letter its word's box left out), but
    // rarely the same one everywhere on the page.
    struct Glyph {
        int first;
        bool doubleHeight;
        std::vector<int> cells;
    };
    std::vector<Glyph> glyphs;
    auto inkOf = [&grid](int at) { return grid.ink(at / CellGrid::Columns, at % CellGrid::Columns); };
    for (const int at : inked) {
        const bool doubleHeight = grid.isDoubleHeight(at / CellGrid::Columns, at % CellGrid::Columns);
        auto same = std::find_if(glyphs.begin(), glyphs.end(), [&](const Glyph &glyph) {
            return glyph.doubleHeight == doubleHeight &&
                   CellGrid::sameInk(inkOf(glyph.first), inkOf(at), grid.cellPixels());
        });
        if (same == glyphs.end()) {
            glyphs.push_back({at, doubleHeight, {at}});
        } else {
            same->cells.push_back(at);
        }
    }
    for (const Glyph &glyph : glyphs) {
        if (glyph.cells.size() < 2) {
            continue;
        }
        std::vector<std::pair<QChar, int>> votes;
        int readings = 0;
        for (const int at : glyph.cells) {
            const QChar ch = chars[std::size_t(at)];
            if (ch == u' ') {
                continue;
            }
            ++readings;
            auto vote = std::find_if(votes.begin(), votes.end(), [ch](const auto &v) { return v.first == ch; });
            if (vote == votes.end()) {
                votes.emplace_back(ch, 1);
            } else {
                ++vote->second;
            }
        }
        const auto most = std::max_element(votes.begin(), votes.end(),
                                           [](const auto &a, const auto &b) { return a.second < b.second; });
        if (most == votes.end() || most->second * 2 <= readings) {
            continue;
        }
        for (const int at : glyph.cells) {
            if (!known[std::size_t(at)]) {
                chars[std::size_t(at)] = most->first;
            }
        }
    }

    QStringList lines;
    bool anything = false;
    for (int row = 0; row < CellGrid::Rows; ++row) {
        QString line(CellGrid::Columns, u' ');
        for (int col = 0; col < CellGrid::Columns; ++col) {
            line[col] = chars[std::size_t(row * CellGrid::Columns + col)];
        }
        while (!line.isEmpty() && line.back() == u' ') {
            line.chop(1);
        }
        anything = anything || !line.isEmpty();
        lines << line;
    }
    return anything ? lines.join(u'\n') + u'\n' : QString();
}
