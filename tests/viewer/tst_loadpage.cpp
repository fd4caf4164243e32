#include "FakePlatform.h"
#include "HttpFixture.h"
#include "SlowPages.h"
#include "TestImages.h"
#include "WindowFixture.h"
#include "viewer/DownloadUrl.h"
#include "windows/PictureBox.h"
#include "windows/formpagiscopo.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSet>
#include <QSignalBlocker>
#include <QTest>
#include <QTimer>

#include <httplib.h>

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

using namespace std::chrono_literals;

namespace
{

QSet<int> pagesFrom(int from, int to)
{
    QSet<int> pages;
    for (int page = std::min(from, to); page <= std::max(from, to); ++page) {
        pages.insert(page);
    }
    return pages;
}

QSet<int> asSet(const QList<int> &pages)
{
    return QSet<int>(pages.begin(), pages.end());
}

const QString kQuestion = QStringLiteral("La pagina del Pagiscopo scelta,non esiste continuare a cercare?\r"
                                         "(potrebbe richiedere alcuni secondi)");

} // namespace

class LoadPageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startup_requestsPage100OnceAndShowsIt();
    void startup_unreachableServer_saysSoWithoutAsking();
    void firstAttempt_sizeThreshold_data();
    void firstAttempt_sizeThreshold();
    void search_sizeThreshold_data();
    void search_sizeThreshold();
    void missingSubpage_fallsBackToSubpage1WithoutAsking();
    void emptySubpage_requestsDoubleDotThenFallsBack();
    void answerNo_keepsPictureAndPageBox();
    void search_runsDownByDefaultAndUpAfterNext();
    void search_stopsAtTheEndOfThePageRange();
    void search_escapeMidSearch_cancelsEveryProbe();
    void search_stopsWhenTheServerIsGone();
    void search_survivesLoadsNestedInItsEvents();
    void editionChoice_loadsTheSamePageFromTheNewEdition();
    void editionChoice_missingSubpage_showsSubpage1();
    void pastedTexts_cannotLeaveThePagePath();
    void dotSegmentEdition_requestsNothingOutsideTheEditions_data();
    void dotSegmentEdition_requestsNothingOutsideTheEditions();
    void pageBox_limitsTypingToThreeButKeepsTextsSetByCode();
    void failedTransfer_isANoticeNotAMissingPage_data();
    void failedTransfer_isANoticeNotAMissingPage();
    void notFoundStatus_keepsFallbackAndQuestion_data();
    void notFoundStatus_keepsFallbackAndQuestion();
    void failedTransfer_duringSearch_endsItWithTheNotice();
    void unwritablePageImage_isANoticeNotAMissingPage();

private:
    formpagiscopo &open();
    QImage shown() const { return m_window->Picture1->picture().toImage(); }
    void setPage(const QString &text) { m_window->pagpagiscopo->setText(text); }

    std::unique_ptr<HttpFixture> m_server;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<Downloader> m_downloader;
    std::unique_ptr<formpagiscopo> m_window;
    QByteArray m_page100;
};

void LoadPageTest::init()
{
    m_server = std::make_unique<HttpFixture>();
    m_platform = std::make_unique<FakePlatform>();
    m_downloader = std::make_unique<Downloader>();
    m_page100 = pagePng(100);
    m_server->serve(national(100), m_page100);
}

void LoadPageTest::cleanup()
{
    // After every load of every test, the page image file is gone.
    QVERIFY(!QFile::exists(m_platform->pageImagePath()));
    m_window.reset();
    m_downloader.reset();
    m_server.reset();
    m_platform.reset();
}

formpagiscopo &LoadPageTest::open()
{
    m_window = std::make_unique<formpagiscopo>(*m_platform, *m_downloader, m_server->baseUrl());
    m_server->clearRequests();
    return *m_window;
}

void LoadPageTest::startup_requestsPage100OnceAndShowsIt()
{
    m_window = std::make_unique<formpagiscopo>(*m_platform, *m_downloader, m_server->baseUrl());
    QCOMPARE(m_server->requestedPaths(), QStringList{national(100)});
    QCOMPARE(m_server->requests().first().userAgent, QByteArrayLiteral("VB_APP"));
    QCOMPARE(shown(), QImage::fromData(m_page100).convertToFormat(shown().format()));
    QCOMPARE(m_window->pagpagiscopo->text(), QStringLiteral("100"));
    QCOMPARE(m_window->numsottopag->currentText(), QStringLiteral("1"));
    QCOMPARE(m_window->numsottopag->count(), 30);
    QCOMPARE(m_window->numsottopag->itemText(29), QStringLiteral("30"));
    QCOMPARE(m_window->Combo1->currentText(), QStringLiteral("Nazionale"));
    QCOMPARE(m_window->Combo1->count(), 22);
    QVERIFY(!m_window->searchForward);
    QVERIFY(m_platform->questions.isEmpty());
    QVERIFY(!m_window->isVisible()); // everything above happened before the window was shown
    QVERIFY(!QFile::exists(m_platform->pageImagePath()));
}

void LoadPageTest::startup_unreachableServer_saysSoWithoutAsking()
{
    const QString deadBase = QStringLiteral("http://127.0.0.1:1"); // nobody listens there
    m_platform->answers = {true};
    m_window = std::make_unique<formpagiscopo>(*m_platform, *m_downloader, deadBase);
    // Not a missing page: no fallback, no question, no search; the notice names server and reason.
    QVERIFY(m_platform->questions.isEmpty());
    QVERIFY(!m_window->Picture1->hasPicture());
    QCOMPARE(m_window->pagpagiscopo->text(), QStringLiteral("100"));
    QCOMPARE(m_window->Picture1->notice(),
             QStringLiteral("Server non raggiungibile: 127.0.0.1:1 (connessione rifiutata)"));
}

void LoadPageTest::firstAttempt_sizeThreshold_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("found");
    QTest::newRow("3999 bytes: missing") << 3999 << false;
    QTest::newRow("4000 bytes: found") << 4000 << true;
    QTest::newRow("large non-PNG body: found, blank") << 70000 << true;
}

void LoadPageTest::firstAttempt_sizeThreshold()
{
    QFETCH(int, size);
    QFETCH(bool, found);
    open();
    m_server->serve(national(101), junkBytes(size));
    setPage(QStringLiteral("101"));
    m_window->LoadPage();
    QCOMPARE(m_platform->questions.isEmpty(), found);
    // Found but not a PNG: the box goes blank. Missing and No: the old picture stays.
    QCOMPARE(m_window->Picture1->hasPicture(), !found);
    QCOMPARE(m_server->requestedPaths(), QStringList{national(101)});
}

void LoadPageTest::search_sizeThreshold_data()
{
    QTest::addColumn<int>("size149");
    QTest::addColumn<QString>("stop");
    QTest::newRow("1999 bytes: missing, goes on") << 1999 << "148";
    QTest::newRow("2000 bytes: found") << 2000 << "149";
}

void LoadPageTest::search_sizeThreshold()
{
    QFETCH(int, size149);
    QFETCH(QString, stop);
    open();
    m_server->serve(national(149), junkBytes(size149));
    m_server->serve(national(148), pagePng(148));
    m_platform->answers = {true};
    setPage(QStringLiteral("150"));
    m_window->LoadPage();
    QCOMPARE(m_window->pagpagiscopo->text(), stop);
    QCOMPARE(m_platform->questions.size(), 1);
    // 2000 bytes that are no image: found, and the box goes blank.
    QCOMPARE(m_window->Picture1->hasPicture(), stop == QLatin1String("148"));
    // The page found and every page before it were asked for, and nothing five beyond it.
    const QSet<int> asked = asSet(nationalPages(m_server->requestedPaths()));
    QVERIFY(asked.contains(pagesFrom(150, stop.toInt())));
    QVERIFY(pagesFrom(150, stop.toInt() - 5).contains(asked));
}

void LoadPageTest::missingSubpage_fallsBackToSubpage1WithoutAsking()
{
    open();
    m_window->setSubpageText(QStringLiteral("5"));
    m_window->LoadPage();
    QCOMPARE(m_window->subpageText(), QStringLiteral("1"));
    QVERIFY(m_platform->questions.isEmpty());
    QCOMPARE(m_server->requestedPaths(),
             QStringList(
                 {pagePath(QStringLiteral("Nazionale"), QStringLiteral("100"), QStringLiteral("5")), national(100)}));
    QCOMPARE(shown(), QImage::fromData(m_page100).convertToFormat(shown().format()));
}

void LoadPageTest::emptySubpage_requestsDoubleDotThenFallsBack()
{
    open();
    m_window->setSubpageText(QString());
    m_window->LoadPage();
    QCOMPARE(m_server->requests().first().target, QByteArrayLiteral("/pagiscopo/pub/tt4web/Nazionale/page-100..png"));
    QCOMPARE(m_window->subpageText(), QStringLiteral("1"));
}

void LoadPageTest::answerNo_keepsPictureAndPageBox()
{
    open();
    const QImage before = shown();
    setPage(QStringLiteral("150"));
    m_platform->answers = {false};
    m_window->LoadPage();
    QCOMPARE(m_platform->questions.size(), 1);
    QCOMPARE(m_platform->questions.first().title, QStringLiteral("Pagiscopo"));
    QCOMPARE(m_platform->questions.first().text, kQuestion);
    QCOMPARE(m_window->pagpagiscopo->text(), QStringLiteral("150"));
    QCOMPARE(shown(), before);
    QCOMPARE(m_server->requestedPaths(), QStringList{national(150)});
}

void LoadPageTest::search_runsDownByDefaultAndUpAfterNext()
{
    open();
    m_server->serve(national(147), pagePng(147));
    m_server->serve(national(163), pagePng(163));
    m_platform->answers = {true, true};

    setPage(QStringLiteral("150"));
    m_window->LoadPage();
    QCOMPARE(m_server->requestedPaths().first(), national(150));
    QSet<int> asked = asSet(nationalPages(m_server->requestedPaths()));
    QVERIFY(asked.contains(pagesFrom(150, 147)));
    QVERIFY(pagesFrom(150, 142).contains(asked)); // downwards only
    QCOMPARE(m_window->pagpagiscopo->text(), QStringLiteral("147"));
    QCOMPARE(shown(), QImage::fromData(pagePng(147)).convertToFormat(shown().format()));

    m_server->clearRequests();
    m_window->searchForward = true; // what the next-page command leaves behind
    setPage(QStringLiteral("160"));
    m_window->LoadPage();
    asked = asSet(nationalPages(m_server->requestedPaths()));
    // Probes of the first search that were cancelled on the wire may still reach the server now;
    // they all lie below 150, so whatever this search asked lies above.
    asked.removeIf([](int page) { return page < 150; });
    QVERIFY(asked.contains(pagesFrom(160, 163)));
    QVERIFY(pagesFrom(160, 168).contains(asked)); // upwards only
    QCOMPARE(m_window->pagpagiscopo->text(), QStringLiteral("163"));
    QCOMPARE(shown(), QImage::fromData(pagePng(163)).convertToFormat(shown().format()));
}

void LoadPageTest::search_stopsAtTheEndOfThePageRange()
{
    open();
    m_server->remove(national(100));
    const QImage before = shown();
    m_platform->answers = {true, true};
    setPage(QStringLiteral("102"));
    m_window->LoadPage();
    QCOMPARE(m_server->requestedPaths().size(), 3);
    QCOMPARE(asSet(nationalPages(m_server->requestedPaths())), pagesFrom(102, 100));
    QCOMPARE(m_window->pagpagiscopo->text(), QStringLiteral("102"));
    QCOMPARE(shown(), before);

    m_server->clearRequests();
    m_window->searchForward = true;
    setPage(QStringLiteral("998"));
    m_window->LoadPage();
    QCOMPARE(m_server->requestedPaths(), QStringList({national(998), national(999)}));
    QCOMPARE(m_window->pagpagiscopo->text(), QStringLiteral("998"));
}

void LoadPageTest::search_escapeMidSearch_cancelsEveryProbe()
{
    open();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const QImage before = shown();
    SlowPages slow(*m_server);
    for (int page = 499; page >= 400; --page) {
        slow.add(national(page), SlowPages::kHeld);
    }
    m_platform->answers = {true};
    QString pageBoxMeanwhile;
    // Escape typed at the window once six probes are out, none of them answered.
    auto *poll = new QTimer(m_window.get());
    connect(poll, &QTimer::timeout, poll, [&, poll] {
        if (slow.answering() == 6) {
            poll->stop();
            pageBoxMeanwhile = m_window->pagpagiscopo->text();
            QTest::keyClick(m_window->windowHandle(), Qt::Key_Escape);
        }
    });
    poll->start(5);
    setPage(QStringLiteral("500"));
    m_window->LoadPage();
    QCOMPARE(pageBoxMeanwhile, QStringLiteral("499")); // the nearest page not yet known
    QCOMPARE(m_window->pagpagiscopo->text(), QStringLiteral("500"));
    QCOMPARE(shown(), before);
    QCOMPARE(m_window->Picture1->notice(), QString());
    QCOMPARE(m_platform->questions.size(), 1);
    // Every probe was dropped at once, and nothing more asked.
    QTRY_COMPARE(slow.clientsLeft(), 6);
    QCOMPARE(m_server->requestedPaths().size(), 7);
}

void LoadPageTest::search_stopsWhenTheServerIsGone()
{
    open();
    const QImage before = shown();
    m_platform->answers = {true};
    QStringList seen;
    m_platform->whileAsking = [this, &seen] {
        seen = m_server->requestedPaths();
        m_server.reset(); // the server goes away while the question is on screen
    };
    setPage(QStringLiteral("500"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("page search stopped.*")));
    m_window->LoadPage();
    QCOMPARE(seen, QStringList{national(500)});
    QCOMPARE(m_window->pagpagiscopo->text(), QStringLiteral("500"));
    QCOMPARE(shown(), before);
    m_server = std::make_unique<HttpFixture>(); // for cleanup()
}

void LoadPageTest::search_survivesLoadsNestedInItsEvents()
{
    open();
    m_server->serve(national(147), pagePng(147));
    m_platform->answers = {true, false};
    int nested = 0;
    // A timer tick, a key or a click handled between probes starts a whole load of its own, which
    // may even ask the question again.
    m_platform->whileAsking = [this, &nested] {
        if (nested++ == 0) {
            QTimer::singleShot(0, m_window.get(), [this] { m_window->LoadPage(); });
        }
    };
    setPage(QStringLiteral("150"));
    m_window->LoadPage();
    QCOMPARE(m_platform->questions.size(), 2);
    QCOMPARE(m_window->pagpagiscopo->text(), QStringLiteral("147"));
    QCOMPARE(shown(), QImage::fromData(pagePng(147)).convertToFormat(shown().format()));
}

void LoadPageTest::editionChoice_loadsTheSamePageFromTheNewEdition()
{
    open();
    m_server->serve(pagePath(QStringLiteral("Lazio"), QStringLiteral("103"), QStringLiteral("2")), pagePng(1032));
    setPage(QStringLiteral("103"));
    m_window->setSubpageText(QStringLiteral("2"));
    m_window->Combo1->setCurrentIndex(m_window->Combo1->findText(QStringLiteral("Lazio")));
    QCOMPARE(m_server->requestedPaths(), QStringList{QStringLiteral("/pagiscopo/pub/tt4web/Lazio/page-103.2.png")});
    QCOMPARE(shown(), QImage::fromData(pagePng(1032)).convertToFormat(shown().format()));
}

void LoadPageTest::editionChoice_missingSubpage_showsSubpage1()
{
    open();
    m_server->serve(pagePath(QStringLiteral("Sicilia"), QStringLiteral("100")), pagePng(7));
    m_window->setSubpageText(QStringLiteral("3"));
    m_window->Combo1->setCurrentIndex(m_window->Combo1->findText(QStringLiteral("Sicilia")));
    QCOMPARE(m_window->subpageText(), QStringLiteral("1"));
    QCOMPARE(m_server->requestedPaths().last(), QStringLiteral("/pagiscopo/pub/tt4web/Sicilia/page-100.png"));
    QVERIFY(m_platform->questions.isEmpty());
}

void LoadPageTest::pastedTexts_cannotLeaveThePagePath()
{
    open();
    m_platform->answers = {};
    setPage(QStringLiteral("../../x"));
    m_window->setSubpageText(QStringLiteral("/../../../etc/passwd x"));
    m_window->LoadPage();
    const auto requests = m_server->requests();
    QVERIFY(requests.size() >= 2);
    QCOMPARE(
        requests.at(0).target,
        QByteArrayLiteral("/pagiscopo/pub/tt4web/Nazionale/page-..%2F..%2Fx.%2F..%2F..%2F..%2Fetc%2Fpasswd%20x.png"));
    QCOMPARE(requests.at(1).target, QByteArrayLiteral("/pagiscopo/pub/tt4web/Nazionale/page-..%2F..%2Fx.png"));
    for (const auto &request : requests) {
        QVERIFY(request.path.startsWith(QStringLiteral("/pagiscopo/pub/tt4web/Nazionale/page-")));
    }
}

void LoadPageTest::dotSegmentEdition_requestsNothingOutsideTheEditions_data()
{
    QTest::addColumn<QString>("edition");
    QTest::newRow("dot") << ".";
    QTest::newRow("dot dot") << "..";
}

void LoadPageTest::dotSegmentEdition_requestsNothingOutsideTheEditions()
{
    // libcurl would turn .../tt4web/../page-100.png into .../pagiscopo/pub/page-100.png on the wire.
    QFETCH(QString, edition);
    m_server->serve(QStringLiteral("/pagiscopo/pub/page-100.png"), m_page100);
    m_server->serve(QStringLiteral("/pagiscopo/pub/tt4web/page-100.png"), m_page100);
    open();
    m_platform->answers = {false};
    const QImage before = shown();
    {
        const QSignalBlocker quiet(m_window->Combo1);
        m_window->Combo1->addItem(edition);
        m_window->Combo1->setCurrentIndex(m_window->Combo1->count() - 1);
    }
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("forms no page address")));
    m_window->LoadPage();
    QCOMPARE(m_server->requestedPaths(), QStringList());
    QCOMPARE(m_platform->questions.size(), 1); // a page that cannot be asked for is a missing one
    QCOMPARE(shown(), before);
}

void LoadPageTest::pageBox_limitsTypingToThreeButKeepsTextsSetByCode()
{
    open();
    QLineEdit *box = m_window->pagpagiscopo;
    box->clear();
    QTest::keyClicks(box, QStringLiteral("5401"));
    QCOMPARE(box->text(), QStringLiteral("540"));
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("7"));
    QCOMPARE(box->text(), QStringLiteral("7"));
    setPage(QStringLiteral("1000"));
    QCOMPARE(box->text(), QStringLiteral("1000"));
}

void LoadPageTest::failedTransfer_isANoticeNotAMissingPage_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("notice");
    QTest::newRow("time-out") << "timeout" << "Impossibile scaricare la pagina: il server non risponde";
    QTest::newRow("body over the cap") << "overcap" << "Impossibile scaricare la pagina: la pagina supera 1 MiB";
    QTest::newRow("redirect loop") << "loop" << "Impossibile scaricare la pagina: troppi reindirizzamenti";
    QTest::newRow("reset mid-body") << "reset" << "Impossibile scaricare la pagina: connessione interrotta";
    QTest::newRow("500") << "500" << "Il server ha risposto 500";
    QTest::newRow("503") << "503" << "Il server ha risposto 503";
    QTest::newRow("401") << "401" << "Il server ha risposto 401";
    QTest::newRow("403") << "403" << "Il server ha risposto 403";
    QTest::newRow("301 without a place to go") << "301" << "Il server ha risposto 301";
}

void LoadPageTest::failedTransfer_isANoticeNotAMissingPage()
{
    QFETCH(QString, fault);
    QFETCH(QString, notice);
    DownloadLimits limits;
    limits.totalTimeout = 1500ms;
    limits.maxBodyBytes = 1024 * 1024;
    m_downloader = std::make_unique<Downloader>(limits);
    open();
    const QImage before = shown();
    const QString path = pagePath(QStringLiteral("Nazionale"), QStringLiteral("300"), QStringLiteral("2"));

    // Each fault comes after the head of a 200 answer, except the statuses, which are the answer.
    std::unique_ptr<RawTcpServer> raw;
    QString base = m_server->baseUrl();
    if (fault == QLatin1String("timeout") || fault == QLatin1String("reset")) {
        const bool reset = fault == QLatin1String("reset");
        raw = std::make_unique<RawTcpServer>([reset](int socket) {
            readRequestHead(socket);
            const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 9000\r\n\r\n" + QByteArray(3000, 'p');
            [[maybe_unused]] const ssize_t sent = ::write(socket, head.constData(), size_t(head.size()));
            if (reset) {
                resetConnection(socket);
                return;
            }
            char c;
            timeval bound{10, 0};
            ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
            [[maybe_unused]] const ssize_t got = ::read(socket, &c, 1); // until the client gives up
            ::close(socket);
        });
        base = QStringLiteral("http://127.0.0.1:%1").arg(raw->port());
        m_window = std::make_unique<formpagiscopo>(*m_platform, *m_downloader, base);
    } else if (fault == QLatin1String("overcap")) {
        m_server->serve(path, junkBytes(2 * 1024 * 1024));
    } else if (fault == QLatin1String("loop")) {
        m_server->handle(path, [](const httplib::Request &request, httplib::Response &response) {
            response.set_redirect(request.path);
        });
    } else {
        m_server->serve(path, junkBytes(6000), fault.toInt());
    }
    m_platform->answers = {true};
    setPage(QStringLiteral("300"));
    m_window->setSubpageText(QStringLiteral("2"));
    const QImage shownBefore = shown();
    m_server->clearRequests();
    m_window->LoadPage();

    // No fallback to subpage 1, no question, no search: the old picture stays under the notice.
    QVERIFY(m_platform->questions.isEmpty());
    QCOMPARE(m_window->Picture1->notice(), notice);
    QCOMPARE(m_window->pagpagiscopo->text(), QStringLiteral("300"));
    QCOMPARE(m_window->subpageText(), QStringLiteral("2"));
    QCOMPARE(shown(), shownBefore);
    if (!raw) {
        QCOMPARE(shown(), before);
        for (const QString &requested : m_server->requestedPaths()) {
            QCOMPARE(requested, path);
        }
    }

    // The next load that gets an answer takes the notice away.
    if (raw) {
        return;
    }
    setPage(QStringLiteral("100"));
    m_window->setSubpageText(QStringLiteral("1"));
    m_window->LoadPage();
    QCOMPARE(m_window->Picture1->notice(), QString());
    QCOMPARE(shown(), QImage::fromData(m_page100).convertToFormat(shown().format()));
}

void LoadPageTest::notFoundStatus_keepsFallbackAndQuestion_data()
{
    QTest::addColumn<int>("status");
    QTest::newRow("404") << 404;
    QTest::newRow("410") << 410;
}

void LoadPageTest::notFoundStatus_keepsFallbackAndQuestion()
{
    QFETCH(int, status);
    open();
    const QString subpage2 = pagePath(QStringLiteral("Nazionale"), QStringLiteral("300"), QStringLiteral("2"));
    m_server->serve(subpage2, junkBytes(200), status);
    m_server->serve(national(300), junkBytes(200), status);
    m_platform->answers = {false};
    setPage(QStringLiteral("300"));
    m_window->setSubpageText(QStringLiteral("2"));
    m_window->LoadPage();
    QCOMPARE(m_server->requestedPaths(), QStringList({subpage2, national(300)}));
    QCOMPARE(m_window->subpageText(), QStringLiteral("1"));
    QCOMPARE(m_platform->questions.size(), 1);
    QCOMPARE(m_window->Picture1->notice(), QString());
}

void LoadPageTest::failedTransfer_duringSearch_endsItWithTheNotice()
{
    open();
    const QImage before = shown();
    m_server->serve(national(148), junkBytes(500), 503);
    m_server->serve(national(147), pagePng(147));
    m_platform->answers = {true};
    setPage(QStringLiteral("150"));
    // Refused among other probes, 148 is asked again on its own, and refused again.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("page search goes on one page at a time.*")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("page search stopped.*503")));
    m_window->LoadPage();
    const QList<int> asked = nationalPages(m_server->requestedPaths());
    QCOMPARE(asked.count(148), 2);
    QVERIFY(pagesFrom(150, 143).contains(asSet(asked)));
    QCOMPARE(m_window->Picture1->notice(), QStringLiteral("Il server ha risposto 503"));
    QCOMPARE(m_window->pagpagiscopo->text(), QStringLiteral("150"));
    QCOMPARE(shown(), before);
}

void LoadPageTest::unwritablePageImage_isANoticeNotAMissingPage()
{
    open();
    const QImage before = shown();
    m_server->serve(national(101), pagePng(101));
    // The page image file's place is taken by a folder: nothing can be written there.
    m_platform->pageImageFile = m_platform->favouritesDir() + QStringLiteral("/taken");
    QVERIFY(QDir().mkpath(m_platform->pageImageFile));
    m_platform->answers = {true};
    setPage(QStringLiteral("101"));
    m_window->LoadPage();
    QVERIFY(m_platform->questions.isEmpty());
    QVERIFY2(m_window->Picture1->notice().startsWith(QStringLiteral("Impossibile salvare la pagina: ")),
             qPrintable(m_window->Picture1->notice()));
    QCOMPARE(m_window->pagpagiscopo->text(), QStringLiteral("101"));
    QCOMPARE(shown(), before);
    QVERIFY(QFileInfo(m_platform->pageImageFile).isDir()); // left as it was

    m_platform->pageImageFile.clear();
    m_window->LoadPage();
    QCOMPARE(m_window->Picture1->notice(), QString());
    QCOMPARE(shown(), QImage::fromData(pagePng(101)).convertToFormat(shown().format()));
}

QTEST_MAIN(LoadPageTest)
#include "tst_loadpage.moc"
