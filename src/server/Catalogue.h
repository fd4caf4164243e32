#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The sample teletext service: which pages exist in which edition, where they live on the server,
// and what they look like. Everything here is a pure function of its arguments and safe to call
// from any thread; page tables are built on first use, pages are drawn only when asked for.
//
// The service is shaped like a real one, so that the viewer's fallbacks and page search have
// something to do:
//   - every edition has the national pages: index 100, news 101-169, sport 200-268 (football
//     220-235), weather 400-420, television 500-512, radio 540-546, economy 600-620, culture
//     700-755, services 800-870, the service description 898 and a test card 899;
//   - the regional editions add their own pages 301-310 (how many varies by edition), 320-323,
//     330 and 340; page 300 is an index of the regions in "Nazionale" and the region's own index
//     elsewhere;
//   - gaps: 118 (one page), 124-126 (a few), 136-159 (24), 813-862 (50), 871-897 (27), among others;
//   - pages with subpages: 102 (3), 103 (2), 110 (4), 130 (6), 221 (5), 300 (3 national, 2 regional),
//     401 (4), 501-512 (3 each), 601 (6), 602 (5), and a few more;
//   - nothing below 100 or above 899.
namespace Catalogue
{

inline constexpr int FirstPage = 100;
inline constexpr int LastPage = 899;
// The viewer takes a smaller download as a missing page, so no existing page may be smaller.
inline constexpr qsizetype MinimumPageBytes = 4000;
inline constexpr int PageWidth = 360;
inline constexpr int PageHeight = 400;

// The path under which the real server publishes its editions.
inline constexpr char PathPrefix[] = "/pagiscopo/pub/tt4web/";

// The 22 editions in the viewer's list order; the national one first.
const QStringList &editions();
bool isEdition(QStringView edition);

// The existing pages of an edition, ascending; empty for an unknown edition.
QList<int> pages(QStringView edition);
// Number of subpages of a page; 0 when the page does not exist in that edition.
int subpageCount(QStringView edition, int page);
bool pageExists(QStringView edition, int page, int subpage = 1);

// "/pagiscopo/pub/tt4web/Nazionale/page-100.png" for subpage 1, ".../page-100.2.png" for the others.
QString pagePath(QStringView edition, int page, int subpage = 1);

struct PageAddress {
    QString edition;
    int page = 0;
    int subpage = 1;
    friend bool operator==(const PageAddress &, const PageAddress &) = default;
};

// Reads an already percent-decoded request path in one of the two forms pagePath() builds. Only
// those exact forms are accepted: a known edition (case as listed), three digits, and a subpage
// suffix from 2 up without leading zeros. Whether the page exists is not checked here.
std::optional<PageAddress> parsePagePath(QByteArrayView path);

// The clock that --fixed-time pages show: Friday 15 March 2024, 12:00:00.
QDateTime fixedTime();

// The page drawn on the 40 x 25 teletext grid, PageWidth x PageHeight pixels, with `clock` in the
// header row; a null image when the page does not exist.
QImage renderImage(QStringView edition, int page, int subpage, const QDateTime &clock);
// The characters the same page shows, one string per row, block graphics and the lower halves of
// double-height characters as blanks; empty when the page does not exist. The server never sends
// it: it is what the viewer's reading of the picture is measured against.
QStringList renderText(QStringView edition, int page, int subpage, const QDateTime &clock);
// The same as PNG bytes, never fewer than MinimumPageBytes; empty when the page does not exist.
QByteArray renderPng(QStringView edition, int page, int subpage, const QDateTime &clock);

} // namespace Catalogue
