#pragma once

#include <QDateTime>
#include <QStringView>

#include <vector>

namespace Teletext
{
class Page;
}

// The page tables behind Catalogue and the composition of each page, shared by Catalogue.cpp and
// SamplePages.cpp only.
namespace Catalogue::detail
{

enum class Section { Index, News, Sport, Football, Regional, Weather, Television, Radio, Economy, Culture, Services };
enum class Layout {
    Index,
    SectionIndex,
    Editions,
    Article,
    Results,
    Standings,
    Weather,
    Schedule,
    Market,
    Info,
    TestCard
};

struct PageEntry {
    int page = 0;
    int subpages = 1;
    Section section = Section::Index;
    Layout layout = Layout::Article;
};

// Index of the edition in the list, -1 for an unknown one; 0 is the national edition.
int editionIndex(QStringView edition);
// The pages of an edition, ascending by number.
const std::vector<PageEntry> &pageTable(int edition);
const PageEntry *findPage(int edition, int page);

// The short title under which a page is listed on its section's index.
QString pageTitle(int edition, const PageEntry &entry);
void composePage(Teletext::Page &page, int edition, const PageEntry &entry, int subpage, const QDateTime &clock);

} // namespace Catalogue::detail
