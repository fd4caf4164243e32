#include "navigation/PageNumbers.h"

namespace
{

// More digits than this cannot be a page or a subpage, and could not be stepped safely.
constexpr qsizetype kMostDigits = 15;

} // namespace

std::optional<qint64> decimalValue(const QString &text)
{
    if (text.isEmpty() || text.size() > kMostDigits) {
        return std::nullopt;
    }
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

QString nextPageText(const QString &page)
{
    return QString::number(decimalValue(page).value_or(kFirstPage) + 1);
}

QString previousPageText(const QString &page)
{
    return QString::number(qMax(decimalValue(page).value_or(kFirstPage) - 1, kFirstPage));
}

QString nextSubpageText(const QString &subpage)
{
    return QString::number(decimalValue(subpage).value_or(1) + 1);
}

QString previousSubpageText(const QString &subpage)
{
    const std::optional<qint64> value = decimalValue(subpage);
    if (!value) {
        return kFirstSubpage;
    }
    return *value > 1 ? QString::number(*value - 1) : subpage;
}
