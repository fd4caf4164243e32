#pragma once

#include <QString>

#include <optional>

// How the commands step the texts of the page box and the subpage box. The boxes take digits only
// when typed, but can be emptied, and text can be pasted: every text gives a sensible result.

// The pages of the service. Stepping back stops at the first, and the page search stays within.
constexpr qint64 kFirstPage = 100;
constexpr qint64 kLastPage = 999;
// The first subpage of every page, as the subpage box holds it: a missing subpage falls back to
// it, the next page starts on it, and its address carries no subpage number.
constexpr QLatin1String kFirstSubpage("1");

// The value of a text made only of decimal digits (leading zeros allowed); anything else,
// including the empty text and a number too long to hold, has none.
std::optional<qint64> decimalValue(const QString &text);

// Next page: one up, with no upper bound ("999" gives "1000"). A text that is no number steps
// from the first page, 100.
QString nextPageText(const QString &page);
// Previous page: one down, never below 100.
QString previousPageText(const QString &page);
// Next subpage: one up, with no upper bound ("07" gives "8"). A text that is no number counts as
// subpage 1.
QString nextSubpageText(const QString &subpage);
// Previous subpage: one down while above 1; "1" stays as it is, and a text that is no number
// becomes "1".
QString previousSubpageText(const QString &subpage);
