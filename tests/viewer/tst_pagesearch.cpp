#include "viewer/PageSearch.h"

#include <QTest>

#include <algorithm>
#include <limits>
#include <random>

namespace
{

QList<int> askAll(PageSearch &search)
{
    QList<int> asked;
    while (const std::optional<int> page = search.nextToAsk()) {
        asked.append(*page);
    }
    return asked;
}

struct Run {
    int found = 0; // 0: none; -1: stuck, undecided with nothing in flight
    QList<int> asked;
    qsizetype mostInFlight = 0;
};

// A whole search against a catalogue of existing pages, answering the pages in flight in an order
// chosen by `pick` (an index into the pages in flight).
template <typename Pick> Run runSearch(PageSearch search, const QList<int> &existing, Pick pick)
{
    Run run;
    for (;;) {
        run.asked << askAll(search);
        run.mostInFlight = std::max(run.mostInFlight, search.inFlight().size());
        if (search.outcome() != PageSearch::Outcome::Undecided) {
            break;
        }
        const QList<int> flying = search.inFlight();
        if (flying.isEmpty()) {
            run.found = -1;
            return run;
        }
        const int page = flying.at(pick(int(flying.size())));
        search.record(page, existing.contains(page) ? PageSearch::Answer::Found : PageSearch::Answer::Missing);
    }
    run.found = search.outcome() == PageSearch::Outcome::Found ? *search.decidedPage() : 0;
    return run;
}

} // namespace

// Which page the search asks for next and what it decides, whatever order the answers come in.
class PageSearchTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void candidates_stayWithinTheRange_data();
    void candidates_stayWithinTheRange();
    void asks_sixNearestFirst_andRefillsAsAnswersCome();
    void fartherPageFoundFirst_isHeldUntilTheNearerAreMissing();
    void nothingIsAskedBeyondAPageFound();
    void window_neverRunsAheadOfTheNearestUndecided();
    void anyAnswerOrder_givesTheNearestPage();
    void failureOfTheNearest_endsTheSearch_fartherFailureDoesNot();
    void refusal_turnsToOneAtATime_andAsksThatPageAgain();
    void refusalWhenAlone_isAFailure();
};

void PageSearchTest::candidates_stayWithinTheRange_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<QList<int>>("firstSix"); // the first candidates, in order
    QTest::addColumn<int>("count");
    QTest::newRow("up to the top") << 995 << true << QList<int>{996, 997, 998, 999} << 4;
    QTest::newRow("at the top") << 999 << true << QList<int>{} << 0;
    QTest::newRow("down to the bottom") << 103 << false << QList<int>{102, 101, 100} << 3;
    QTest::newRow("at the bottom") << 100 << false << QList<int>{} << 0;
    QTest::newRow("above the range, down") << 1000 << false << QList<int>{999, 998, 997, 996, 995, 994} << 900;
    QTest::newRow("far above the range, down: the first step is outside") << 1005 << false << QList<int>{} << 0;
    QTest::newRow("below the range, up") << 50 << true << QList<int>{} << 0;
    QTest::newRow("largest number") << std::numeric_limits<int>::max() << true << QList<int>{} << 0;
    QTest::newRow("smallest number") << std::numeric_limits<int>::min() << false << QList<int>{} << 0;
}

void PageSearchTest::candidates_stayWithinTheRange()
{
    QFETCH(int, start);
    QFETCH(bool, forward);
    QFETCH(QList<int>, firstSix);
    QFETCH(int, count);
    PageSearch search(start, forward, 100, 999);
    QCOMPARE(search.candidates(), count);
    QList<int> asked;
    // Every page missing: the search walks all its candidates, six at a time at most.
    while (search.outcome() == PageSearch::Outcome::Undecided && asked.size() < 6) {
        const QList<int> now = askAll(search);
        asked << now;
        for (const int page : now) {
            search.record(page, PageSearch::Answer::Missing);
        }
    }
    QCOMPARE(asked, firstSix);
    if (count <= 6) {
        QCOMPARE(search.outcome(), PageSearch::Outcome::Exhausted);
        QCOMPARE(search.nearestUndecided(), std::nullopt);
    }
}

void PageSearchTest::asks_sixNearestFirst_andRefillsAsAnswersCome()
{
    PageSearch search(150, false, 100, 999);
    QCOMPARE(askAll(search), QList<int>({149, 148, 147, 146, 145, 144}));
    QCOMPARE(search.nearestUndecided(), 149);
    // A farther page answers first: one more may go, but only within six of the nearest.
    search.record(146, PageSearch::Answer::Missing);
    QCOMPARE(askAll(search), QList<int>());
    search.record(149, PageSearch::Answer::Missing);
    QCOMPARE(search.nearestUndecided(), 148);
    QCOMPARE(askAll(search), QList<int>{143});
    search.record(148, PageSearch::Answer::Missing);
    search.record(147, PageSearch::Answer::Missing);
    QCOMPARE(search.nearestUndecided(), 145); // 146 is known missing already
    QCOMPARE(askAll(search), QList<int>({142, 141, 140}));
    QCOMPARE(search.inFlight(), QList<int>({145, 144, 143, 142, 141, 140}));
}

void PageSearchTest::fartherPageFoundFirst_isHeldUntilTheNearerAreMissing()
{
    PageSearch search(200, true, 100, 999);
    askAll(search); // 201 .. 206
    search.record(204, PageSearch::Answer::Found);
    search.record(203, PageSearch::Answer::Found);
    search.record(201, PageSearch::Answer::Missing);
    QCOMPARE(search.outcome(), PageSearch::Outcome::Undecided);
    QCOMPARE(search.nearestUndecided(), 202);
    search.record(202, PageSearch::Answer::Missing);
    QCOMPARE(search.outcome(), PageSearch::Outcome::Found);
    QCOMPARE(search.decidedPage(), 203); // the nearer of the two held
    QCOMPARE(search.inFlight(), QList<int>({205, 206}));
    QCOMPARE(askAll(search), QList<int>());

    // A nearer page found later still wins over a farther one found first.
    PageSearch other(200, true, 100, 999);
    askAll(other);
    other.record(206, PageSearch::Answer::Found);
    other.record(202, PageSearch::Answer::Found);
    other.record(201, PageSearch::Answer::Missing);
    QCOMPARE(other.decidedPage(), 202);
}

void PageSearchTest::nothingIsAskedBeyondAPageFound()
{
    PageSearch search(300, false, 100, 999);
    askAll(search); // 299 .. 294
    search.record(297, PageSearch::Answer::Found);
    search.record(294, PageSearch::Answer::Missing);
    search.record(295, PageSearch::Answer::Missing);
    search.record(296, PageSearch::Answer::Missing);
    // Three probes came back, but nothing beyond 297 can change the answer.
    QCOMPARE(askAll(search), QList<int>());
    QCOMPARE(search.outcome(), PageSearch::Outcome::Undecided);
}

void PageSearchTest::window_neverRunsAheadOfTheNearestUndecided()
{
    // The nearest page never answers; the others answer at once. However long that lasts, only
    // five pages beyond it are ever asked for.
    PageSearch search(500, true, 100, 999);
    QList<int> asked = askAll(search);
    for (int round = 0; round < 20; ++round) {
        for (const int page : search.inFlight()) {
            if (page != 501) {
                search.record(page, PageSearch::Answer::Missing);
            }
        }
        asked << askAll(search);
    }
    QCOMPARE(asked, QList<int>({501, 502, 503, 504, 505, 506}));
    QCOMPARE(search.nearestUndecided(), 501);
}

void PageSearchTest::anyAnswerOrder_givesTheNearestPage()
{
    // Gaps of every length below and beyond the window, answers in random orders: always the
    // page a walk would find, and never more than five pages asked beyond it.
    std::mt19937 random(17);
    for (int gap = 0; gap <= 14; ++gap) {
        const int start = 400;
        const int nearest = start - 1 - gap;
        const QList<int> existing = {nearest, nearest - 1, nearest - 3, nearest - 9};
        for (int order = 0; order < 30; ++order) {
            const Run run = runSearch(PageSearch(start, false, 100, 999), existing, [&](int size) {
                return int(std::uniform_int_distribution<int>(0, size - 1)(random));
            });
            QCOMPARE(run.found, nearest);
            QVERIFY2(std::all_of(run.asked.begin(), run.asked.end(), [&](int page) { return page >= nearest - 5; }),
                     qPrintable(QStringLiteral("gap %1").arg(gap)));
            QCOMPARE(QSet<int>(run.asked.begin(), run.asked.end()).size(), run.asked.size()); // none asked twice
            QVERIFY(run.mostInFlight <= PageSearch::kMaxInFlight);
        }
    }
    // Nothing at all: every candidate asked once, six at a time, then the end of the range.
    const Run run = runSearch(PageSearch(120, false, 100, 999), {}, [](int size) { return size - 1; });
    QCOMPARE(run.found, 0);
    QCOMPARE(run.asked.size(), 20);
    QCOMPARE(run.mostInFlight, PageSearch::kMaxInFlight);
}

void PageSearchTest::failureOfTheNearest_endsTheSearch_fartherFailureDoesNot()
{
    PageSearch search(150, false, 100, 999);
    askAll(search); // 149 .. 144
    search.record(146, PageSearch::Answer::Failed);
    search.record(148, PageSearch::Answer::Found);
    search.record(149, PageSearch::Answer::Missing);
    QCOMPARE(search.outcome(), PageSearch::Outcome::Found);
    QCOMPARE(search.decidedPage(), 148);

    PageSearch failing(150, false, 100, 999);
    askAll(failing);
    failing.record(147, PageSearch::Answer::Found);
    failing.record(148, PageSearch::Answer::Failed);
    QCOMPARE(failing.outcome(), PageSearch::Outcome::Undecided); // 149 might still exist
    failing.record(149, PageSearch::Answer::Missing);
    QCOMPARE(failing.outcome(), PageSearch::Outcome::Failed);
    QCOMPARE(failing.decidedPage(), 148);
}

void PageSearchTest::refusal_turnsToOneAtATime_andAsksThatPageAgain()
{
    PageSearch search(150, false, 100, 999);
    askAll(search); // 149 .. 144
    QVERIFY(!search.oneAtATime());
    QVERIFY(search.record(147, PageSearch::Answer::Refused));
    QVERIFY(search.oneAtATime());
    QVERIFY(!search.record(145, PageSearch::Answer::Refused)); // turned already
    search.record(149, PageSearch::Answer::Missing);
    search.record(148, PageSearch::Answer::Missing);
    // Nothing new while the probes sent side by side are still out.
    QCOMPARE(askAll(search), QList<int>());
    search.record(146, PageSearch::Answer::Missing);
    search.record(144, PageSearch::Answer::Missing);
    QCOMPARE(search.nearestUndecided(), 147);
    // Then the refused pages again, one by one, nearest first.
    QCOMPARE(askAll(search), QList<int>{147});
    search.record(147, PageSearch::Answer::Missing);
    QCOMPARE(askAll(search), QList<int>{145});
    search.record(145, PageSearch::Answer::Missing);
    QCOMPARE(askAll(search), QList<int>{143});
    search.record(143, PageSearch::Answer::Found);
    QCOMPARE(search.decidedPage(), 143);
}

void PageSearchTest::refusalWhenAlone_isAFailure()
{
    PageSearch search(150, false, 100, 999);
    askAll(search);
    search.record(149, PageSearch::Answer::Refused);
    for (const int page : search.inFlight()) {
        search.record(page, PageSearch::Answer::Missing);
    }
    QCOMPARE(askAll(search), QList<int>{149});
    search.record(149, PageSearch::Answer::Refused);
    QCOMPARE(search.outcome(), PageSearch::Outcome::Failed);
    QCOMPARE(search.decidedPage(), 149);
}

QTEST_GUILESS_MAIN(PageSearchTest)
#include "tst_pagesearch.moc"
