#include "Catalogue.h"

#include "CatalogueTable.h"
#include "ServerLogging.h"
#include "TeletextPage.h"
#include "viewer/PageAddress.h"

#include <QBuffer>
#include <QImageWriter>

#include <algorithm>
#include <array>

namespace Catalogue
{
namespace detail
{
namespace
{

struct Range {
    int first;
    int last;
    Section section;
    Layout layout;
};

// Pages every edition carries. The holes between the ranges are the service's missing pages.
constexpr std::array<Range, 31> NationalRanges = {{
    {100, 100, Section::Index, Layout::Index},           {101, 101, Section::News, Layout::SectionIndex},
    {102, 117, Section::News, Layout::Article},          {119, 123, Section::News, Layout::Article},
    {127, 135, Section::News, Layout::Article},          {160, 169, Section::News, Layout::Article},
    {200, 200, Section::Sport, Layout::SectionIndex},    {201, 212, Section::Sport, Layout::Article},
    {214, 218, Section::Sport, Layout::Article},         {220, 220, Section::Football, Layout::SectionIndex},
    {221, 221, Section::Football, Layout::Results},      {222, 222, Section::Football, Layout::Standings},
    {223, 235, Section::Football, Layout::Article},      {260, 268, Section::Sport, Layout::Article},
    {400, 400, Section::Weather, Layout::SectionIndex},  {401, 410, Section::Weather, Layout::Weather},
    {412, 420, Section::Weather, Layout::Weather},       {500, 500, Section::Television, Layout::SectionIndex},
    {501, 512, Section::Television, Layout::Schedule},   {540, 540, Section::Radio, Layout::SectionIndex},
    {541, 546, Section::Radio, Layout::Schedule},        {600, 600, Section::Economy, Layout::SectionIndex},
    {601, 609, Section::Economy, Layout::Market},        {610, 615, Section::Economy, Layout::Article},
    {617, 620, Section::Economy, Layout::Article},       {700, 700, Section::Culture, Layout::SectionIndex},
    {701, 712, Section::Culture, Layout::Article},       {750, 755, Section::Culture, Layout::Article},
    {800, 800, Section::Services, Layout::SectionIndex}, {801, 812, Section::Services, Layout::Article},
    {863, 870, Section::Services, Layout::Article},
}};

struct Subpages {
    int page;
    int count;
};

constexpr std::array<Subpages, 15> NationalSubpages = {{
    {102, 3},
    {103, 2},
    {110, 4},
    {121, 2},
    {130, 6},
    {203, 2},
    {221, 5},
    {222, 3},
    {225, 4},
    {401, 4},
    {402, 2},
    {540, 2},
    {601, 6},
    {602, 5},
    {701, 2},
}};

std::vector<PageEntry> buildTable(int edition)
{
    std::vector<PageEntry> table;
    for (const Range &range : NationalRanges) {
        for (int page = range.first; page <= range.last; ++page) {
            table.push_back({page, 1, range.section, range.layout});
        }
    }
    for (const Subpages &sub : NationalSubpages) {
        for (PageEntry &entry : table) {
            if (entry.page == sub.page) {
                entry.subpages = sub.count;
            }
        }
    }
    for (PageEntry &entry : table) {
        // A schedule page per part of the day.
        if (entry.layout == Layout::Schedule && entry.section == Section::Television) {
            entry.subpages = 3;
        }
        if (entry.page == 801) {
            entry.subpages = 2;
        }
    }

    if (edition == 0) {
        table.push_back({300, 3, Section::Regional, Layout::Editions});
    } else {
        table.push_back({300, 2, Section::Regional, Layout::SectionIndex});
        // Regions differ in how much local news they carry, so their page lists differ too.
        const int newsPages = 4 + (edition * 5) % 7;
        for (int page = 301; page <= 300 + newsPages; ++page) {
            table.push_back({page, page == 303 ? 3 : 1, Section::Regional, Layout::Article});
        }
        table.push_back({320, 2, Section::Regional, Layout::Weather});
        for (int page = 321; page <= 323; ++page) {
            table.push_back({page, 1, Section::Regional, Layout::Weather});
        }
        table.push_back({330, 1, Section::Regional, Layout::Article});
        table.push_back({340, 1, Section::Regional, Layout::Article});
    }
    table.push_back({898, 1, Section::Services, Layout::Info});
    table.push_back({899, 1, Section::Services, Layout::TestCard});

    std::sort(table.begin(), table.end(), [](const PageEntry &a, const PageEntry &b) { return a.page < b.page; });
    return table;
}

} // namespace

int editionIndex(QStringView edition)
{
    return static_cast<int>(Catalogue::editions().indexOf(edition));
}

const std::vector<PageEntry> &pageTable(int edition)
{
    static const std::vector<std::vector<PageEntry>> tables = [] {
        std::vector<std::vector<PageEntry>> all;
        for (int i = 0; i < Catalogue::editions().size(); ++i) {
            all.push_back(buildTable(i));
        }
        return all;
    }();
    return tables.at(static_cast<std::size_t>(edition));
}

const PageEntry *findPage(int edition, int page)
{
    if (edition < 0) {
        return nullptr;
    }
    const std::vector<PageEntry> &table = pageTable(edition);
    const auto it = std::lower_bound(table.begin(), table.end(), page,
                                     [](const PageEntry &entry, int number) { return entry.page < number; });
    return (it != table.end() && it->page == page) ? &*it : nullptr;
}

} // namespace detail

const QStringList &editions()
{
    // The sample service publishes exactly the editions the viewer offers.
    return regionEditions();
}

bool isEdition(QStringView edition)
{
    return detail::editionIndex(edition) >= 0;
}

QList<int> pages(QStringView edition)
{
    QList<int> result;
    const int index = detail::editionIndex(edition);
    if (index < 0) {
        return result;
    }
    for (const detail::PageEntry &entry : detail::pageTable(index)) {
        result.append(entry.page);
    }
    return result;
}

int subpageCount(QStringView edition, int page)
{
    const detail::PageEntry *entry = detail::findPage(detail::editionIndex(edition), page);
    return entry ? entry->subpages : 0;
}

bool pageExists(QStringView edition, int page, int subpage)
{
    return subpage >= 1 && subpage <= subpageCount(edition, page);
}

QString pagePath(QStringView edition, int page, int subpage)
{
    QString path = QLatin1String(PathPrefix) + edition.toString() + QStringLiteral("/page-") + QString::number(page);
    if (subpage != 1) {
        path += QLatin1Char('.') + QString::number(subpage);
    }
    return path + QStringLiteral(".png");
}

std::optional<PageAddress> parsePagePath(QByteArrayView path)
{
    const QByteArrayView prefix(PathPrefix);
    if (!path.startsWith(prefix)) {
        return std::nullopt;
    }
    QByteArrayView rest = path.sliced(prefix.size());

    const qsizetype slash = rest.indexOf('/');
    if (slash <= 0) {
        return std::nullopt;
    }
    const QString edition = QString::fromLatin1(rest.first(slash));
    if (!isEdition(edition)) {
        return std::nullopt;
    }
    rest = rest.sliced(slash + 1);

    const QByteArrayView pagePrefix("page-");
    const QByteArrayView suffix(".png");
    if (!rest.startsWith(pagePrefix) || !rest.endsWith(suffix)) {
        return std::nullopt;
    }
    rest = rest.sliced(pagePrefix.size());
    rest.chop(suffix.size());

    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (rest.size() < 3 || !isDigit(rest[0]) || !isDigit(rest[1]) || !isDigit(rest[2])) {
        return std::nullopt;
    }
    PageAddress address{edition, (rest[0] - '0') * 100 + (rest[1] - '0') * 10 + (rest[2] - '0'), 1};
    rest = rest.sliced(3);
    if (rest.isEmpty()) {
        return address;
    }

    // ".N": digits only, no leading zero, and never "1" (subpage 1 has no suffix). Six digits are
    // far beyond any subpage and keep the number clear of overflow.
    if (rest[0] != '.' || rest.size() < 2 || rest.size() > 7 || rest[1] == '0') {
        return std::nullopt;
    }
    int subpage = 0;
    for (const char c : rest.sliced(1)) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        subpage = subpage * 10 + (c - '0');
    }
    if (subpage < 2) {
        return std::nullopt;
    }
    address.subpage = subpage;
    return address;
}

QDateTime fixedTime()
{
    return QDateTime(QDate(2024, 3, 15), QTime(12, 0, 0));
}

namespace
{

std::optional<Teletext::Page> composed(QStringView edition, int page, int subpage, const QDateTime &clock)
{
    const int index = detail::editionIndex(edition);
    const detail::PageEntry *entry = detail::findPage(index, page);
    if (!entry || subpage < 1 || subpage > entry->subpages) {
        return std::nullopt;
    }
    Teletext::Page screen;
    detail::composePage(screen, index, *entry, subpage, clock);
    return screen;
}

} // namespace

QImage renderImage(QStringView edition, int page, int subpage, const QDateTime &clock)
{
    const std::optional<Teletext::Page> screen = composed(edition, page, subpage, clock);
    return screen ? screen->toImage() : QImage();
}

QStringList renderText(QStringView edition, int page, int subpage, const QDateTime &clock)
{
    QStringList rows;
    if (const std::optional<Teletext::Page> screen = composed(edition, page, subpage, clock)) {
        for (int row = 0; row < Teletext::Rows; ++row) {
            rows << screen->rowText(row);
        }
    }
    return rows;
}

QByteArray renderPng(QStringView edition, int page, int subpage, const QDateTime &clock)
{
    const QImage image = renderImage(edition, page, subpage, clock);
    if (image.isNull()) {
        return {};
    }
    // Light compression (zlib level 2) costs a fraction of the default's time for little size.
    // A sparse page could still come out below the size the viewer accepts as a page; such a page
    // is stored uncompressed, which always is large enough.
    for (const int quality : {70, 100}) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.setQuality(quality);
        if (!writer.write(image)) {
            qCWarning(lcServer) << "cannot encode page" << edition << page << subpage << writer.errorString();
            return {};
        }
        if (png.size() >= MinimumPageBytes) {
            return png;
        }
    }
    qCWarning(lcServer) << "page" << edition << page << subpage << "stays below" << MinimumPageBytes << "bytes";
    return {};
}

} // namespace Catalogue
