#pragma once

#include "text/DigitTemplates.h"
#include "text/OcrEngine.h"
#include "text/PageLinks.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

class CellGrid;

// Reads one page after another on one thread: its links first, from the digits learned so far
// (in a few milliseconds once all ten are known), then its text through the recogniser, whose
// reading of the header teaches the digits not known yet.
class PageReader
{
public:
    // The digits are kept in `settingsPath`; `language` is the recogniser's.
    explicit PageReader(QString settingsPath, QString language = QStringLiteral("ita"));

    // `page` is the number the page was asked for (its header shows it). `linksFound` is called
    // once, as early as the links are known; the text, 25 lines with no trailing blanks, is
    // returned at the end, empty when there is none or the recogniser failed. With `cancelled`
    // true the reading stops as soon as it can, and what it returns is to be dropped.
    QString read(const CellGrid &grid, int page, const std::function<bool()> &cancelled,
                 const std::function<void(const QList<PageLink> &)> &linksFound);

    const DigitTemplates &templates(QSize cell);
    const OcrEngine &engine() const { return m_engine; }

    // The text of a grid as read: a digit where the templates know one, the recogniser's
    // character elsewhere, blank cells and block graphics as spaces; cells of the same ink take
    // the character most of them were read as.
    static QString composeText(const CellGrid &grid, const DigitTemplates &templates, const QStringList &readRows);

private:
    DigitTemplates &templatesFor(QSize cell);
    void keep(const DigitTemplates &templates);

    QString m_settingsPath;
    OcrEngine m_engine;
    std::map<std::pair<int, int>, DigitTemplates> m_templates;
};
