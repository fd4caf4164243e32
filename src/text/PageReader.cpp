#include "text/PageReader.h"

#include "text/CellGrid.h"
#include "text/TextLog.h"

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
    QStringList lines;
    bool anything = false;
    for (int row = 0; row < CellGrid::Rows; ++row) {
        QString line(CellGrid::Columns, u' ');
        for (int col = 0; col < CellGrid::Columns; ++col) {
            if (grid.isBlank(row, col) || grid.isMosaic(row, col)) {
                continue;
            }
            // The recogniser misreads a zero as a nine now and then; the learned digits do not.
            if (templates.cellSize() == grid.cellSize()) {
                if (const std::optional<int> digit = templates.match(grid.ink(row, col))) {
                    line[col] = QChar(u'0' + *digit);
                    continue;
                }
            }
            line[col] = cellChar(readRows.value(row), col);
        }
        while (!line.isEmpty() && line.back() == u' ') {
            line.chop(1);
        }
        anything = anything || !line.isEmpty();
        lines << line;
    }
    return anything ? lines.join(u'\n') + u'\n' : QString();
}
