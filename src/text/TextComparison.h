#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <vector>

// How far a page's text as read is from the text that was drawn: the edit distance between the two,
// line by line with runs of spaces as one (the layout's spacing is not what a reader reads), over
// the drawn text's length. 0 is exact.

inline QString comparableText(const QStringList &rows)
{
    static const QRegularExpression spaces(QStringLiteral(" +"));
    QStringList lines;
    for (QString row : rows) {
        lines << row.replace(spaces, QStringLiteral(" ")).trimmed();
    }
    return lines.join(u'\n');
}

inline qsizetype editDistance(const QString &a, const QString &b)
{
    std::vector<qsizetype> previous(std::size_t(b.size() + 1)), current(std::size_t(b.size() + 1));
    for (qsizetype j = 0; j <= b.size(); ++j) {
        previous[std::size_t(j)] = j;
    }
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype substitute = previous[std::size_t(j - 1)] + (a.at(i - 1) == b.at(j - 1) ? 0 : 1);
            current[std::size_t(j)] =
                std::min({substitute, previous[std::size_t(j)] + 1, current[std::size_t(j - 1)] + 1});
        }
        std::swap(previous, current);
    }
    return previous[std::size_t(b.size())];
}

inline double characterError(const QString &read, const QStringList &drawnRows)
{
    const QString drawn = comparableText(drawnRows);
    return double(editDistance(comparableText(read.split(u'\n')), drawn)) /
           double(std::max<qsizetype>(1, drawn.size()));
}
