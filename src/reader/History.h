#pragma once

#include <QList>
#include <QString>

#include <optional>

// One page as it was shown: the three texts its address was made of.
struct PageEntry {
    QString edition;
    QString page;
    QString subpage;

    bool samePage(const PageEntry &other) const { return edition == other.edition && page == other.page; }
    friend bool operator==(const PageEntry &, const PageEntry &) = default;
};

// The pages shown in this run, to go back and forward through as a browser does. Nothing of it is
// stored. The rules read what a load showed, not which control asked for it: a load that shows
// the current entry's page with another subpage is a step through that page's subpages, whoever
// started it.
class History
{
public:
    static constexpr qsizetype kCapacity = 100;

    // A page shown by the user's command. A new page drops the entries ahead of the current one and
    // becomes the last (the oldest goes beyond kCapacity); the current page with another subpage
    // only changes the entry's subpage; the current entry itself again changes nothing.
    void commandShown(const PageEntry &shown);
    // A page shown by a timer: the subpage auto-scroll moves the entry's subpage along, and
    // nothing a timer shows ever adds an entry.
    void unattendedShown(const PageEntry &shown);
    // The page shown by going to entry `index`: it becomes the current entry, holding what was
    // actually shown (the page may have lost that subpage since).
    void moveShown(qsizetype index, const PageEntry &shown);

    std::optional<qsizetype> backIndex() const;
    std::optional<qsizetype> forwardIndex() const;
    bool canGoBack() const { return backIndex().has_value(); }
    bool canGoForward() const { return forwardIndex().has_value(); }

    const QList<PageEntry> &entries() const { return m_entries; }
    // -1 while nothing has been shown.
    qsizetype currentIndex() const { return m_current; }

private:
    QList<PageEntry> m_entries;
    qsizetype m_current = -1;
};
