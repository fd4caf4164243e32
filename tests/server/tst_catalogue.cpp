#include "favourites/Favourites.h"
#include "server/Catalogue.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Catalogue;

class TestCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void editions_areTheViewersListInOrder();
    void everyEdition_hasIndexAndFavouritePagesWithinRange();
    void nationalEdition_hasGapsAndSubpagesOfEveryKind();
    void regionalEditions_carryPagesOfTheirOwn();
    void pagePath_roundTripsThroughParse();
    void everyPage_rendersAsPngAboveTheMissingPageSize();
    void missingPages_renderNothing_data();
    void missingPages_renderNothing();
    void rendering_isReproducibleAndOnlyTheHeaderFollowsTheClock();
    void index_listsTheDefaultFavouritesAtTheirPages();
};

void TestCatalogue::init()
{
    // A character without a glyph is logged as a warning; sample text must not have any.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestCatalogue::editions_areTheViewersListInOrder()
{
    const QStringList expected = {
        QStringLiteral("Nazionale"),  QStringLiteral("Abruzzo"),   QStringLiteral("Altoadige"),
        QStringLiteral("Basilicata"), QStringLiteral("Calabria"),  QStringLiteral("Campania"),
        QStringLiteral("Emilia"),     QStringLiteral("Friuli"),    QStringLiteral("Lazio"),
        QStringLiteral("Liguria"),    QStringLiteral("Lombardia"), QStringLiteral("Marche"),
        QStringLiteral("Molise"),     QStringLiteral("Piemonte"),  QStringLiteral("Puglia"),
        QStringLiteral("Sardegna"),   QStringLiteral("Sicilia"),   QStringLiteral("Toscana"),
        QStringLiteral("Trentino"),   QStringLiteral("Umbria"),    QStringLiteral("Aosta"),
        QStringLiteral("Veneto"),
    };
    QCOMPARE(editions(), expected);
    QVERIFY(!isEdition(u"nazionale"));
    QVERIFY(pages(u"Atlantide").isEmpty());
}

void TestCatalogue::everyEdition_hasIndexAndFavouritePagesWithinRange()
{
    for (const QString &edition : editions()) {
        const QList<int> list = pages(edition);
        QVERIFY2(std::is_sorted(list.begin(), list.end()), qPrintable(edition));
        QVERIFY2(list.first() >= FirstPage && list.last() <= LastPage, qPrintable(edition));
        for (const int page : {100, 102, 103, 200, 220, 300, 500, 505}) {
            QVERIFY2(pageExists(edition, page), qPrintable(edition + u' ' + QString::number(page)));
        }
        for (const int page : list) {
            const int count = subpageCount(edition, page);
            QVERIFY(count >= 1 && count <= 6);
            QVERIFY(pageExists(edition, page, count));
            QVERIFY(!pageExists(edition, page, count + 1));
        }
    }
}

void TestCatalogue::nationalEdition_hasGapsAndSubpagesOfEveryKind()
{
    const QList<int> list = pages(u"Nazionale");
    QSet<int> gaps;
    for (qsizetype i = 1; i < list.size(); ++i) {
        gaps.insert(list.at(i) - list.at(i - 1) - 1);
    }
    QVERIFY(gaps.contains(1));
    QVERIFY(gaps.contains(3));
    QVERIFY(std::any_of(gaps.begin(), gaps.end(), [](int gap) { return gap >= 20 && gap < 30; }));
    // The page-search benchmark crosses a gap of exactly 50 missing pages.
    QVERIFY(gaps.contains(50));

    QSet<int> counts;
    for (const int page : list) {
        counts.insert(subpageCount(u"Nazionale", page));
    }
    QCOMPARE(counts, (QSet<int>{1, 2, 3, 4, 5, 6}));
}

void TestCatalogue::regionalEditions_carryPagesOfTheirOwn()
{
    const QList<int> national = pages(u"Nazionale");
    QSet<QList<int>> distinct;
    for (const QString &edition : editions().mid(1)) {
        const QList<int> regional = pages(edition);
        QVERIFY2(std::any_of(regional.begin(), regional.end(), [&](int page) { return !national.contains(page); }),
                 qPrintable(edition));
        distinct.insert(regional);
    }
    QVERIFY(distinct.size() > 1);
    // Subpage 3 of 300 exists nationally but not regionally, so changing edition there falls back.
    QVERIFY(pageExists(u"Nazionale", 300, 3));
    QVERIFY(pageExists(u"Sicilia", 300, 2));
    QVERIFY(!pageExists(u"Sicilia", 300, 3));
}

void TestCatalogue::pagePath_roundTripsThroughParse()
{
    QCOMPARE(pagePath(u"Nazionale", 100), QStringLiteral("/pagiscopo/pub/tt4web/Nazionale/page-100.png"));
    QCOMPARE(pagePath(u"Lombardia", 201, 3), QStringLiteral("/pagiscopo/pub/tt4web/Lombardia/page-201.3.png"));
    for (const QString &edition : editions()) {
        for (const int page : pages(edition)) {
            for (int subpage = 1; subpage <= subpageCount(edition, page); ++subpage) {
                const std::optional<PageAddress> parsed = parsePagePath(pagePath(edition, page, subpage).toLatin1());
                QVERIFY(parsed);
                QCOMPARE(*parsed, (PageAddress{edition, page, subpage}));
            }
        }
    }
}

void TestCatalogue::everyPage_rendersAsPngAboveTheMissingPageSize()
{
    // All national pages and every edition's own pages: between them, every layout and every
    // regional variant. The national pages of the other editions differ only in the header.
    const QList<int> national = pages(u"Nazionale");
    for (const QString &edition : editions()) {
        for (const int page : pages(edition)) {
            if (edition != u"Nazionale" && national.contains(page) && page != 300) {
                continue;
            }
            for (int subpage = 1; subpage <= subpageCount(edition, page); ++subpage) {
                const QString where = pagePath(edition, page, subpage);
                const QByteArray png = renderPng(edition, page, subpage, fixedTime());
                QVERIFY2(png.size() >= MinimumPageBytes, qPrintable(where));
                const QImage image = QImage::fromData(png, "PNG");
                QVERIFY2(!image.isNull(), qPrintable(where));
                QCOMPARE(image.size(), QSize(PageWidth, PageHeight));
            }
        }
    }
}

void TestCatalogue::missingPages_renderNothing_data()
{
    QTest::addColumn<QString>("edition");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("subpage");
    QTest::newRow("page in a gap") << QStringLiteral("Nazionale") << 118 << 1;
    QTest::newRow("subpage past the last") << QStringLiteral("Nazionale") << 102 << 4;
    QTest::newRow("subpage zero") << QStringLiteral("Nazionale") << 100 << 0;
    QTest::newRow("above 899") << QStringLiteral("Nazionale") << 900 << 1;
    QTest::newRow("regional page nationally") << QStringLiteral("Nazionale") << 301 << 1;
    QTest::newRow("unknown edition") << QStringLiteral("Atlantide") << 100 << 1;
}

void TestCatalogue::missingPages_renderNothing()
{
    QFETCH(QString, edition);
    QFETCH(int, page);
    QFETCH(int, subpage);
    QVERIFY(renderPng(edition, page, subpage, fixedTime()).isEmpty());
    QVERIFY(renderImage(edition, page, subpage, fixedTime()).isNull());
}

void TestCatalogue::rendering_isReproducibleAndOnlyTheHeaderFollowsTheClock()
{
    QCOMPARE(renderPng(u"Lazio", 301, 1, fixedTime()), renderPng(u"Lazio", 301, 1, fixedTime()));

    const QImage atNoon = renderImage(u"Lazio", 301, 1, fixedTime());
    const QImage aSecondLater = renderImage(u"Lazio", 301, 1, fixedTime().addSecs(1));
    const int headerHeight = PageHeight / 25;
    QVERIFY(atNoon.copy(0, 0, PageWidth, headerHeight) != aSecondLater.copy(0, 0, PageWidth, headerHeight));
    QCOMPARE(atNoon.copy(0, headerHeight, PageWidth, PageHeight - headerHeight),
             aSecondLater.copy(0, headerHeight, PageWidth, PageHeight - headerHeight));
}

namespace
{

// "Ultim'ora" and "ULTIM'ORA", "T.V." and "TV" name the same thing.
QString bareName(const QString &name)
{
    QString bare;
    for (const QChar c : name) {
        if (c.isLetterOrNumber()) {
            bare += c.toUpper();
        }
    }
    return bare;
}

} // namespace

void TestCatalogue::index_listsTheDefaultFavouritesAtTheirPages()
{
    // "NOTIZIE.......102": the entries as the page shows them, by name.
    static const QRegularExpression entry(QStringLiteral("([A-Z][A-Z' ]*[A-Z])\\.+(\\d{3})"));
    for (const QString &edition : editions()) {
        QMultiHash<QString, int> listed;
        for (const QString &row : renderText(edition, 100, 1, fixedTime())) {
            for (const QRegularExpressionMatch &match : entry.globalMatch(row)) {
                listed.insert(bareName(match.captured(1)), match.captured(2).toInt());
            }
        }
        QVERIFY2(listed.size() >= 12, qPrintable(edition));
        int favourites = 0;
        for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
            const FavouriteDefaults *defaults = favouriteDefaults(slot);
            QVERIFY(defaults);
            if (!defaults->caption || !defaults->page) {
                continue;
            }
            ++favourites;
            const QString name = bareName(QString::fromUtf8(defaults->caption));
            const QList<int> pages = listed.values(name);
            QStringList shown;
            for (const int page : pages) {
                shown << QString::number(page);
            }
            const QString opens = QString::fromLatin1(defaults->page);
            QVERIFY2(shown == QStringList{opens},
                     qPrintable(QStringLiteral("%1: the index lists %2 at [%3], its favourite opens %4")
                                    .arg(edition, name, shown.join(u','), opens)));
            QVERIFY(pageExists(edition, pages.first()));
        }
        QCOMPARE(favourites, 6);
    }
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
