#include "FakePlatform.h"
#include "HttpFixture.h"
#include "PagePaths.h"
#include "SlowPages.h"
#include "TestImages.h"
#include "viewer/DownloadUrl.h"
#include "viewer/PageLoader.h"

#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace
{

// The window as the loader sees it: three texts, a direction, a picture and a notice.
class FakeHost : public PageLoaderHost
{
public:
    QString edition = QStringLiteral("Nazionale");
    QString page = QStringLiteral("100");
    QString subpage = QStringLiteral("1");
    bool forward = false;
    QImage picture;
    bool hasPicture = false;
    QString notice;
    bool shown = false;
    int showsWhileWaiting = 0;
    int repaints = 0;
    int clears = 0;
    int shows = 0;
    QStringList pagesWritten; // every text the loader put in the page box, in order

    QString editionText() const override { return edition; }
    QString pageText() const override { return page; }
    void setPageText(const QString &text) override
    {
        page = text;
        pagesWritten.append(text);
    }
    QString subpageText() const override { return subpage; }
    void setSubpageText(const QString &text) override { subpage = text; }
    bool searchesForward() const override { return forward; }
    void clearPicture() override
    {
        ++clears;
        picture = {};
        hasPicture = false;
    }
    void showPicture(QImage image) override
    {
        ++shows;
        picture = std::move(image);
        hasPicture = true;
    }
    void repaintPicture() override { ++repaints; }
    void showNotice(const QString &text) override { notice = text; }
    bool isShown() const override { return shown; }
    void showWhileWaiting() override
    {
        ++showsWhileWaiting;
        shown = true;
    }
    QWidget *questionParent() override { return nullptr; }
};

QImage decoded(const QByteArray &png)
{
    return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
}

QList<int> range(int from, int to)
{
    QList<int> pages;
    for (int page = from; from <= to ? page <= to : page >= to; page += from <= to ? 1 : -1) {
        pages.append(page);
    }
    return pages;
}

QSet<int> asSet(const QList<int> &pages)
{
    return QSet<int>(pages.begin(), pages.end());
}

// Runs `action` once `condition` holds, checking from inside whatever event loop is running, for
// as long as `scope` lives.
void when(QObject *scope, std::function<bool()> condition, std::function<void()> action)
{
    auto *timer = new QTimer(scope);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, condition, action] {
        if (condition()) {
            timer->deleteLater();
            timer->stop();
            action();
        }
    });
    timer->start(5);
}

} // namespace

// The page loader on its own, through a host that is no window at all, against a real server.
class PageLoaderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void shownPage_isAnnouncedWithItsPictureAndBytes();
    void fallback_announcesSubpage1();
    void missingPage_answeredNo_announcesMissingAndKeepsThePicture();
    void search_announcesThePageFoundAndLeavesItInThePageText();
    void search_fartherPagesAnsweringFirst_theNearestIsShown();
    void search_acrossAGap_sixInFlightAtMostAndFewPagesBeyond();
    void search_gapAtTheTopBound_endsAt999WithNothingAbove();
    void search_serverAnswering503MidSearch_finishesOneAtATime();
    void search_serverGoneMidSearch_endsWithTheNotice();
    void search_loadInItsWaitMovesThePageBox_searchGoesOnFromThere();
    void failedTransfer_announcesFailedWithItsNotice();
    void timedLoad_asksNothingAndAnnouncesMissing();
    void loadNestedInTheSearch_isAnnouncedOnItsOwn();
    void close_cancelsTheDownloadAndRefusesLaterLoads();
    void close_duringTheSearch_cancelsEveryProbe();
    void slowFirstLoad_putsTheWindowOnScreen();
    void prefetchedPage_isRequestedOnceAndShown();
    void prefetchOfAnotherPage_isNotShown();
    void earlyDownload_takenOver_isRequestedOnceAndShown();
    void earlyDownload_takenOver_closeInItsWaitHangsUp();
    void earlyDownload_leftUntaken_hangsUpWhenItGoes();

private:
    PageLoader &loader();
    QStringList requested() const { return m_server->requestedPaths(); }
    // The pages the search asked for: every request after the load's first.
    QList<int> searched() const { return nationalPages(requested().mid(1)); }

    std::unique_ptr<HttpFixture> m_server;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<Downloader> m_downloader;
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<PageLoader> m_loader;
    std::unique_ptr<QSignalSpy> m_shown;
    std::unique_ptr<QSignalSpy> m_nothing;
    std::unique_ptr<QObject> m_scope; // what a test leaves to run later goes with it
    QByteArray m_page100;
};

void PageLoaderTest::init()
{
    m_server = std::make_unique<HttpFixture>();
    m_platform = std::make_unique<FakePlatform>();
    m_downloader = std::make_unique<Downloader>();
    m_host = std::make_unique<FakeHost>();
    m_scope = std::make_unique<QObject>();
    m_page100 = pagePng(100);
    m_server->serve(national(100), m_page100);
}

void PageLoaderTest::cleanup()
{
    // Whatever a load did, its page image file is gone.
    QVERIFY(!QFile::exists(m_platform->pageImagePath()));
    m_scope.reset();
    m_shown.reset();
    m_nothing.reset();
    m_loader.reset();
    m_host.reset();
    m_downloader.reset();
    m_server.reset();
    m_platform.reset();
}

PageLoader &PageLoaderTest::loader()
{
    if (!m_loader) {
        m_loader = std::make_unique<PageLoader>(*m_host, *m_platform, *m_downloader, m_server->baseUrl());
        m_shown = std::make_unique<QSignalSpy>(m_loader.get(), &PageLoader::pageShown);
        m_nothing = std::make_unique<QSignalSpy>(m_loader.get(), &PageLoader::nothingShown);
    }
    return *m_loader;
}

void PageLoaderTest::shownPage_isAnnouncedWithItsPictureAndBytes()
{
    const QByteArray page = pagePng(2013);
    m_server->serve(pagePath(QStringLiteral("Lombardia"), QStringLiteral("201"), QStringLiteral("3")), page);
    m_host->edition = QStringLiteral("Lombardia");
    m_host->page = QStringLiteral("201");
    m_host->subpage = QStringLiteral("3");
    loader().load();

    QCOMPARE(requested(), QStringList{QStringLiteral("/pagiscopo/pub/tt4web/Lombardia/page-201.3.png")});
    QCOMPARE(m_host->picture.convertToFormat(QImage::Format_RGB32), decoded(page));
    QCOMPARE(m_shown->size(), 1);
    QCOMPARE(m_nothing->size(), 0);
    const QList<QVariant> args = m_shown->first();
    QCOMPARE(args.at(0).toString(), QStringLiteral("Lombardia"));
    QCOMPARE(args.at(1).toString(), QStringLiteral("201"));
    QCOMPARE(args.at(2).toString(), QStringLiteral("3"));
    QCOMPARE(args.at(3).value<QImage>().convertToFormat(QImage::Format_RGB32), decoded(page));
    QCOMPARE(args.at(4).toByteArray(), page); // exactly as the server sent them
    QVERIFY(m_host->repaints >= 1);
    QVERIFY(!m_loader->isLoading());
}

void PageLoaderTest::fallback_announcesSubpage1()
{
    m_host->subpage = QStringLiteral("5");
    loader().load();
    QCOMPARE(requested(), QStringList({national(100, 5), national(100)}));
    QCOMPARE(m_host->subpage, QStringLiteral("1"));
    QCOMPARE(m_shown->size(), 1); // one load, one announcement, whatever it took
    QCOMPARE(m_shown->first().at(2).toString(), QStringLiteral("1"));
    QCOMPARE(m_shown->first().at(4).toByteArray(), m_page100);
    QVERIFY(m_platform->questions.isEmpty());
}

void PageLoaderTest::missingPage_answeredNo_announcesMissingAndKeepsThePicture()
{
    loader().load();
    const QImage before = m_host->picture;
    m_host->page = QStringLiteral("150");
    m_platform->answers = {false};
    loader().load();
    QCOMPARE(m_platform->questions.size(), 1);
    QCOMPARE(m_host->picture, before);
    QCOMPARE(m_host->page, QStringLiteral("150"));
    QCOMPARE(m_nothing->size(), 1);
    QCOMPARE(m_nothing->first().at(0).value<PageLoader::Outcome>(), PageLoader::Outcome::Missing);
}

void PageLoaderTest::search_announcesThePageFoundAndLeavesItInThePageText()
{
    const QByteArray page153 = pagePng(153);
    m_server->serve(national(153), page153);
    m_host->page = QStringLiteral("150");
    m_host->forward = true;
    m_platform->answers = {true};
    loader().load();
    QCOMPARE(requested().first(), national(150));
    // Every page up to the one found, each once, and no more than five beyond it.
    const QList<int> asked = searched();
    QVERIFY(asSet(asked).contains(asSet(range(151, 153))));
    QVERIFY(asSet(range(151, 158)).contains(asSet(asked)));
    QCOMPARE(asSet(asked).size(), asked.size());
    QCOMPARE(m_host->page, QStringLiteral("153"));
    QCOMPARE(m_shown->size(), 1);
    QCOMPARE(m_shown->first().at(1).toString(), QStringLiteral("153"));
    QCOMPARE(m_shown->first().at(4).toByteArray(), page153);
    QCOMPARE(m_nothing->size(), 0);
}

void PageLoaderTest::search_fartherPagesAnsweringFirst_theNearestIsShown()
{
    // The farther the page, the sooner it answers: 144 exists and answers first, then 147; the
    // nearer missing pages come last.
    SlowPages slow(*m_server);
    const QByteArray page147 = pagePng(147);
    for (int page = 149; page >= 141; --page) {
        const std::chrono::milliseconds delay((page - 140) * 60);
        if (page == 147 || page == 144) {
            slow.add(national(page), delay, page == 147 ? page147 : pagePng(144), 200);
        } else {
            slow.add(national(page), delay);
        }
    }
    m_host->page = QStringLiteral("150");
    m_platform->answers = {true};
    loader().load();

    QCOMPARE(m_host->page, QStringLiteral("147"));
    QCOMPARE(m_shown->size(), 1);
    QCOMPARE(m_shown->first().at(1).toString(), QStringLiteral("147"));
    QCOMPARE(m_shown->first().at(4).toByteArray(), page147);
    QCOMPARE(m_host->shows, 1); // the held page 144 was never decoded or shown
    QCOMPARE(m_host->picture.convertToFormat(QImage::Format_RGB32), decoded(page147));
    // The page box showed the nearest page not yet known, never one beyond it.
    for (const QString &written : m_host->pagesWritten) {
        QVERIFY2(written.toInt() >= 147 && written.toInt() <= 149, qPrintable(written));
    }
    QVERIFY(asSet(range(149, 144)).contains(asSet(searched())));
    QVERIFY(slow.mostAtOnce() >= 2);
    QVERIFY(slow.mostAtOnce() <= 6);
}

void PageLoaderTest::search_acrossAGap_sixInFlightAtMostAndFewPagesBeyond()
{
    SlowPages slow(*m_server);
    for (int page = 199; page >= 140; --page) {
        if (page == 159) {
            slow.add(national(page), 25ms, pagePng(159), 200);
        } else {
            slow.add(national(page), 25ms);
        }
    }
    m_host->page = QStringLiteral("200");
    m_platform->answers = {true};
    loader().load();

    QCOMPARE(m_host->page, QStringLiteral("159"));
    QCOMPARE(m_shown->size(), 1);
    const QList<int> asked = searched();
    QVERIFY(asSet(asked).contains(asSet(range(199, 159))));
    QVERIFY(asSet(range(199, 154)).contains(asSet(asked)));
    QCOMPARE(asSet(asked).size(), asked.size());
    QVERIFY(slow.mostAtOnce() >= 2);
    QVERIFY(slow.mostAtOnce() <= 6);
}

void PageLoaderTest::search_gapAtTheTopBound_endsAt999WithNothingAbove()
{
    m_host->page = QStringLiteral("994");
    m_host->forward = true;
    m_platform->answers = {true};
    loader().load();
    QCOMPARE(requested().first(), national(994));
    QCOMPARE(asSet(searched()), asSet(range(995, 999)));
    QCOMPARE(searched().size(), 5);
    QCOMPARE(m_host->page, QStringLiteral("994"));
    QCOMPARE(m_nothing->size(), 1);
    QCOMPARE(m_nothing->first().at(0).value<PageLoader::Outcome>(), PageLoader::Outcome::Missing);
    QCOMPARE(m_platform->questions.size(), 1);
}

void PageLoaderTest::search_serverAnswering503MidSearch_finishesOneAtATime()
{
    // After its first three answers the server refuses every request that comes while it is
    // busy with another.
    struct Seen {
        int page;
        int status;
        bool alone;
    };
    std::mutex mutex;
    QList<Seen> seen;
    std::atomic<int> answering{0};
    std::atomic<int> served{0};
    const QByteArray page140 = pagePng(140);
    for (int page = 149; page >= 130; --page) {
        m_server->handle(national(page), [&, page](const httplib::Request &, httplib::Response &response) {
            const int now = ++answering;
            const int number = ++served;
            std::this_thread::sleep_for(40ms);
            const int status = number > 3 && now > 1 ? 503 : page == 140 ? 200 : 404;
            response.status = status;
            response.set_content(status == 200 ? page140.toStdString() : std::string(100, 'n'), "image/png");
            {
                const std::lock_guard lock(mutex);
                seen.append({page, status, now == 1});
            }
            --answering;
        });
    }
    m_host->page = QStringLiteral("150");
    m_platform->answers = {true};
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("page search goes on one page at a time.*503")));
    loader().load();

    QCOMPARE(m_host->page, QStringLiteral("140"));
    QCOMPARE(m_shown->size(), 1);
    QCOMPARE(m_shown->first().at(4).toByteArray(), page140);
    QCOMPARE(m_host->notice, QString());
    const std::lock_guard lock(mutex);
    QSet<int> refused;
    for (const Seen &answer : seen) {
        if (answer.status == 503) {
            refused.insert(answer.page);
        }
    }
    QVERIFY(!refused.isEmpty());
    // Each refused page was asked again and answered; the page found came to a request alone.
    for (const int page : refused) {
        QVERIFY2(std::any_of(seen.begin(), seen.end(),
                             [page](const Seen &answer) { return answer.page == page && answer.status == 404; }),
                 qPrintable(QString::number(page)));
    }
    const auto winner = std::find_if(seen.begin(), seen.end(), [](const Seen &answer) { return answer.status == 200; });
    QVERIFY(winner != seen.end());
    QVERIFY(winner->alone);
}

void PageLoaderTest::search_serverGoneMidSearch_endsWithTheNotice()
{
    auto slow = std::make_unique<SlowPages>(*m_server);
    for (int page = 149; page >= 100; --page) {
        slow->add(national(page), 150ms);
    }
    const QString authority = QUrl(m_server->baseUrl()).authority();
    m_host->page = QStringLiteral("150");
    m_platform->answers = {true};
    // The server goes away while the first probes are out.
    when(
        m_scope.get(), [&] { return slow->answering() >= 1; },
        [this] {
            m_server.reset();
            m_server = std::make_unique<HttpFixture>(); // for cleanup(); on another port
        });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("page search stopped.*")));
    loader().load();
    QCOMPARE(m_nothing->size(), 1);
    QCOMPARE(m_nothing->first().at(0).value<PageLoader::Outcome>(), PageLoader::Outcome::Failed);
    QVERIFY2(m_host->notice.startsWith(QStringLiteral("Server non raggiungibile: %1").arg(authority)),
             qPrintable(m_host->notice));
    QCOMPARE(m_host->page, QStringLiteral("150"));
    QCOMPARE(m_shown->size(), 0);
}

void PageLoaderTest::search_loadInItsWaitMovesThePageBox_searchGoesOnFromThere()
{
    // A command handled while the search waits loads page 300 and leaves it in the page box: the
    // search goes on from 300, as a walk would have stepped on from it.
    SlowPages slow(*m_server);
    for (int page = 149; page >= 140; --page) {
        slow.add(national(page), 200ms);
    }
    const QByteArray page300 = pagePng(300);
    const QByteArray page296 = pagePng(296);
    m_server->serve(national(300), page300);
    m_server->serve(national(296), page296);
    m_host->page = QStringLiteral("150");
    m_platform->answers = {true};
    when(
        m_scope.get(), [&] { return slow.answering() >= 1; },
        [this] {
            m_host->page = QStringLiteral("300");
            m_loader->load();
        });
    loader().load();
    QCOMPARE(m_shown->size(), 2);
    QCOMPARE(m_shown->at(0).at(1).toString(), QStringLiteral("300"));
    QCOMPARE(m_shown->at(1).at(1).toString(), QStringLiteral("296"));
    QCOMPARE(m_shown->at(1).at(4).toByteArray(), page296);
    QCOMPARE(m_host->page, QStringLiteral("296"));
    QVERIFY(asSet(searched()).contains(asSet(range(299, 296))));
}

void PageLoaderTest::failedTransfer_announcesFailedWithItsNotice()
{
    m_server->serve(national(100), junkBytes(5000), 503);
    m_platform->answers = {true};
    loader().load();
    QCOMPARE(m_host->notice, QStringLiteral("Il server ha risposto 503"));
    QCOMPARE(m_loader->failureNotice(), m_host->notice);
    QVERIFY(m_platform->questions.isEmpty());
    QCOMPARE(m_nothing->size(), 1);
    QCOMPARE(m_nothing->first().at(0).value<PageLoader::Outcome>(), PageLoader::Outcome::Failed);

    m_server->serve(national(100), m_page100);
    loader().load();
    QCOMPARE(m_host->notice, QString());
    QCOMPARE(m_shown->size(), 1);
}

void PageLoaderTest::timedLoad_asksNothingAndAnnouncesMissing()
{
    m_host->page = QStringLiteral("150");
    m_host->subpage = QStringLiteral("4");
    m_platform->answers = {true};
    loader().load(PageLoader::Origin::Timer);
    QCOMPARE(requested(), QStringList({national(150, 4), national(150)}));
    QCOMPARE(m_host->subpage, QStringLiteral("1"));
    QVERIFY(m_platform->questions.isEmpty());
    QVERIFY(!m_host->hasPicture);
    QCOMPARE(m_host->clears, 0);
    QCOMPARE(m_nothing->size(), 1);
    QCOMPARE(m_nothing->first().at(0).value<PageLoader::Outcome>(), PageLoader::Outcome::Missing);
}

void PageLoaderTest::loadNestedInTheSearch_isAnnouncedOnItsOwn()
{
    // A command handled between two probes of the search loads page 100; the search then goes on
    // from there and runs out at the bottom of the range.
    m_server->remove(national(100));
    const QByteArray page300 = pagePng(300);
    m_server->serve(national(300), page300);
    m_host->page = QStringLiteral("102");
    m_platform->answers = {true};
    bool nested = false;
    m_platform->whileAsking = [this, &nested] {
        QTimer::singleShot(0, m_loader.get(), [this, &nested] {
            if (!nested) {
                nested = true;
                const QString searching = m_host->page;
                m_host->page = QStringLiteral("300");
                m_loader->load();
                m_host->page = searching;
            }
        });
    };
    loader().load();
    QVERIFY(nested);
    QCOMPARE(m_shown->size(), 1);
    QCOMPARE(m_shown->first().at(1).toString(), QStringLiteral("300"));
    QCOMPARE(m_nothing->size(), 1);
    QCOMPARE(m_nothing->first().at(0).value<PageLoader::Outcome>(), PageLoader::Outcome::Missing);
    QCOMPARE(m_host->page, QStringLiteral("102"));
}

void PageLoaderTest::close_cancelsTheDownloadAndRefusesLaterLoads()
{
    // Shared with the server's thread, which may still be waiting in the handler when the test ends.
    const auto release = std::make_shared<std::atomic<bool>>(false);
    m_server->handle(national(100), [release](const httplib::Request &, httplib::Response &response) {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (!*release && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(5ms);
        }
        response.status = 404;
    });
    QTimer::singleShot(100, &loader(), [this] { m_loader->close(); });
    loader().load();
    *release = true;
    QVERIFY(m_loader->isClosing());
    QCOMPARE(m_nothing->size(), 1);
    QCOMPARE(m_nothing->first().at(0).value<PageLoader::Outcome>(), PageLoader::Outcome::Cancelled);
    QVERIFY(m_platform->questions.isEmpty());

    m_server->clearRequests();
    loader().load();
    QCOMPARE(requested(), QStringList());
    QCOMPARE(m_nothing->size(), 1);
}

void PageLoaderTest::close_duringTheSearch_cancelsEveryProbe()
{
    SlowPages slow(*m_server);
    for (int page = 149; page >= 100; --page) {
        slow.add(national(page), SlowPages::kHeld);
    }
    m_host->page = QStringLiteral("150");
    m_platform->answers = {true};
    when(
        m_scope.get(), [&] { return slow.answering() == 6; }, [this] { m_loader->close(); });
    loader().load();
    QVERIFY(m_loader->isClosing());
    QCOMPARE(m_nothing->size(), 1);
    QCOMPARE(m_nothing->first().at(0).value<PageLoader::Outcome>(), PageLoader::Outcome::Cancelled);
    QCOMPARE(m_host->page, QStringLiteral("150"));
    // Every probe hung up, none was answered, and nothing more was asked.
    QTRY_COMPARE(slow.clientsLeft(), 6);
    QCOMPARE(requested().size(), 7);
}

void PageLoaderTest::slowFirstLoad_putsTheWindowOnScreen()
{
    m_server->handle(national(100), [this](const httplib::Request &, httplib::Response &response) {
        std::this_thread::sleep_for(800ms);
        response.set_content(m_page100.toStdString(), "image/png");
    });
    loader().setStartingUp(true);
    QString noticeWhileWaiting;
    QTimer look; // goes with this function, whatever the load's length
    look.setSingleShot(true);
    connect(&look, &QTimer::timeout, this, [this, &noticeWhileWaiting] { noticeWhileWaiting = m_host->notice; });
    look.start(600);
    m_loader->load();
    m_loader->setStartingUp(false);
    QCOMPARE(m_host->showsWhileWaiting, 1);
    QCOMPARE(noticeWhileWaiting, QStringLiteral("Caricamento pagina 100... (Esc per annullare)"));
    QCOMPARE(m_host->notice, QString());
    QCOMPARE(m_shown->size(), 1);
}

void PageLoaderTest::prefetchedPage_isRequestedOnceAndShown()
{
    loader().prefetch(m_server->url(national(100)));
    QTRY_COMPARE(requested(), QStringList{national(100)}); // under way before anyone asked
    m_loader->load();
    QCOMPARE(requested(), QStringList{national(100)});
    QCOMPARE(m_shown->size(), 1);
    QCOMPARE(m_shown->first().at(4).toByteArray(), m_page100);
    // Taken once: the next load of the same page asks the server again.
    m_loader->load();
    QCOMPARE(requested(), QStringList({national(100), national(100)}));
}

void PageLoaderTest::prefetchOfAnotherPage_isNotShown()
{
    const QByteArray page200 = pagePng(200);
    m_server->serve(national(200), page200);
    loader().prefetch(m_server->url(national(100)));
    m_host->page = QStringLiteral("200");
    m_loader->load();
    QCOMPARE(m_shown->size(), 1);
    QCOMPARE(m_shown->first().at(1).toString(), QStringLiteral("200"));
    QCOMPARE(m_shown->first().at(4).toByteArray(), page200);
    QCOMPARE(m_host->picture.convertToFormat(QImage::Format_RGB32), decoded(page200));
}

// The first page asked for before the loader exists, as start-up does with a named server.
void PageLoaderTest::earlyDownload_takenOver_isRequestedOnceAndShown()
{
    auto early = std::make_unique<EarlyDownload>(*m_downloader, m_server->url(national(100)));
    QTRY_COMPARE(requested(), QStringList{national(100)});
    loader().prefetch(std::move(early));
    m_loader->load();
    QCOMPARE(requested(), QStringList{national(100)});
    QCOMPARE(m_shown->size(), 1);
    QCOMPARE(m_shown->first().at(4).toByteArray(), m_page100);
    QCOMPARE(m_host->picture.convertToFormat(QImage::Format_RGB32), decoded(m_page100));
}

// Taken over, the early download is the loader's own: closing the window in its wait ends it.
void PageLoaderTest::earlyDownload_takenOver_closeInItsWaitHangsUp()
{
    SlowPages slow(*m_server);
    slow.add(national(100), SlowPages::kHeld);
    auto early = std::make_unique<EarlyDownload>(*m_downloader, m_server->url(national(100)));
    loader().prefetch(std::move(early));
    when(
        m_scope.get(), [&] { return slow.answering() == 1; }, [this] { m_loader->close(); });
    m_loader->load();
    QCOMPARE(m_nothing->size(), 1);
    QCOMPARE(m_nothing->first().at(0).value<PageLoader::Outcome>(), PageLoader::Outcome::Cancelled);
    QTRY_COMPARE(slow.clientsLeft(), 1);
    QCOMPARE(requested(), QStringList{national(100)});
}

// No window took it (start-up ended first): it hangs up as it goes, without waiting for the server.
void PageLoaderTest::earlyDownload_leftUntaken_hangsUpWhenItGoes()
{
    SlowPages slow(*m_server);
    slow.add(national(100), SlowPages::kHeld);
    auto early = std::make_unique<EarlyDownload>(*m_downloader, m_server->url(national(100)));
    QTRY_COMPARE(slow.answering(), 1);
    early.reset();
    QTRY_COMPARE(slow.clientsLeft(), 1);
}

QTEST_MAIN(PageLoaderTest)
#include "tst_pageloader.moc"
