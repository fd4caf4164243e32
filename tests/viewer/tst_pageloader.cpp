#include "FakePlatform.h"
#include "HttpFixture.h"
#include "PagePaths.h"
#include "TestImages.h"
#include "viewer/DownloadUrl.h"
#include "viewer/PageLoader.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <memory>
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

    QString editionText() const override { return edition; }
    QString pageText() const override { return page; }
    void setPageText(const QString &text) override { page = text; }
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
    void failedTransfer_announcesFailedWithItsNotice();
    void timedLoad_asksNothingAndAnnouncesMissing();
    void loadNestedInTheSearch_isAnnouncedOnItsOwn();
    void close_cancelsTheDownloadAndRefusesLaterLoads();
    void slowFirstLoad_putsTheWindowOnScreen();

private:
    PageLoader &loader();
    QStringList requested() const { return m_server->requestedPaths(); }

    std::unique_ptr<HttpFixture> m_server;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<Downloader> m_downloader;
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<PageLoader> m_loader;
    std::unique_ptr<QSignalSpy> m_shown;
    std::unique_ptr<QSignalSpy> m_nothing;
    QByteArray m_page100;
};

void PageLoaderTest::init()
{
    m_server = std::make_unique<HttpFixture>();
    m_platform = std::make_unique<FakePlatform>();
    m_downloader = std::make_unique<Downloader>();
    m_host = std::make_unique<FakeHost>();
    m_page100 = pagePng(100);
    m_server->serve(national(100), m_page100);
}

void PageLoaderTest::cleanup()
{
    // Whatever a load did, its page image file is gone.
    QVERIFY(!QFile::exists(m_platform->pageImagePath()));
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
    QCOMPARE(requested(), QStringList({national(150), national(151), national(152), national(153)}));
    QCOMPARE(m_host->page, QStringLiteral("153"));
    QCOMPARE(m_shown->size(), 1);
    QCOMPARE(m_shown->first().at(1).toString(), QStringLiteral("153"));
    QCOMPARE(m_shown->first().at(4).toByteArray(), page153);
    QCOMPARE(m_nothing->size(), 0);
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
    // Shared: the server's thread may still be in the handler when this test has returned.
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

void PageLoaderTest::slowFirstLoad_putsTheWindowOnScreen()
{
    m_server->handle(national(100), [this](const httplib::Request &, httplib::Response &response) {
        std::this_thread::sleep_for(800ms);
        response.set_content(m_page100.toStdString(), "image/png");
    });
    loader().setStartingUp(true);
    QString noticeWhileWaiting;
    QTimer::singleShot(600, m_loader.get(), [this, &noticeWhileWaiting] { noticeWhileWaiting = m_host->notice; });
    m_loader->load();
    m_loader->setStartingUp(false);
    QCOMPARE(m_host->showsWhileWaiting, 1);
    QCOMPARE(noticeWhileWaiting, QStringLiteral("Caricamento pagina 100... (Esc per annullare)"));
    QCOMPARE(m_host->notice, QString());
    QCOMPARE(m_shown->size(), 1);
}

QTEST_MAIN(PageLoaderTest)
#include "tst_pageloader.moc"
