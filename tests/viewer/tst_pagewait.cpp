#include "SlowPages.h"
#include "TestImages.h"
#include "WindowFixture.h"
#include "customButton/customButton.h"
#include "windows/Controls.h"
#include "windows/PictureBox.h"

#include <QApplication>
#include <QLineEdit>
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

// A page that the server holds back until it is released (or for 20 s at most), sending nothing
// meanwhile: a stalled download. Tells whether the client hung up while held.
class StalledPage
{
public:
    StalledPage(HttpFixture &server, const QString &path, const QByteArray &body)
    {
        server.handle(path, [this, body](const httplib::Request &, httplib::Response &response) {
            ++m_requests;
            response.set_chunked_content_provider("image/png", [this, body](size_t, httplib::DataSink &sink) {
                const auto deadline = std::chrono::steady_clock::now() + 20s;
                while (!m_released && std::chrono::steady_clock::now() < deadline) {
                    if (!sink.is_writable()) {
                        m_clientLeft = true;
                        return false;
                    }
                    std::this_thread::sleep_for(5ms);
                }
                sink.write(body.constData(), size_t(body.size()));
                sink.done();
                return true;
            });
        });
    }
    ~StalledPage() { release(); }
    void release() { m_released = true; }
    bool clientLeft() const { return m_clientLeft; }
    int requests() const { return m_requests; }

private:
    std::atomic<bool> m_released{false};
    std::atomic<bool> m_clientLeft{false};
    std::atomic<int> m_requests{0};
};

// Counts the paints a widget gets.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

// Runs `action` after `ms`, from inside whatever event loop is running then.
void after(int ms, std::function<void()> action)
{
    QTimer::singleShot(ms, qApp, std::move(action));
}

// Runs `action` once `condition` holds, checking every few milliseconds for as long as `scope`
// lives.
void once(QObject *scope, std::function<bool()> condition, std::function<void()> action)
{
    auto *timer = new QTimer(scope);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, condition, action] {
        if (condition()) {
            timer->stop();
            timer->deleteLater();
            action();
        }
    });
    timer->start(5);
}

} // namespace

// The window while a page download is slow: it paints, holds the input, lets Escape and closing
// end the wait, and says what it is waiting for.
class PageWaitTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_f.reset(); }

    void stalledDownload_windowPaintsAndSaysItWaits();
    void inputDuringDownload_isDeliveredAfterwardsInOrder();
    void escape_cancelsTheDownloadAsANo();
    void ticksDuringDownload_areSkipped();
    void closingDuringDownload_cancelsAndCloses();
    void inputDuringTheSearch_isDeliveredAfterIt();
    void closingDuringTheSearch_cancelsEveryProbeAndCloses();
    void slowFirstPage_windowAppearsWaiting();

private:
    formpagiscopo &w() { return *m_f->window; }
    QStringList requested() const { return m_f->server.requestedPaths(); }
    std::unique_ptr<WindowFixture> m_f;
};

void PageWaitTest::init()
{
    m_f = std::make_unique<WindowFixture>();
    m_f->servePages({541});
}

void PageWaitTest::stalledDownload_windowPaintsAndSaysItWaits()
{
    StalledPage page(m_f->server, national(540), pagePng(540));
    m_f->openShown();
    PaintCounter counter(w().Picture1);
    int paintsWhileWaiting = -1;
    QString notice;
    bool busyCursor = false;
    after(400, [&] {
        w().Picture1->update();
        QTest::qWait(50);
        paintsWhileWaiting = counter.paints;
        notice = w().Picture1->notice();
        busyCursor = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        page.release();
    });
    w().pagpagiscopo->setText(QStringLiteral("540"));
    w().vai_Click();
    QVERIFY(paintsWhileWaiting > 0);
    QCOMPARE(notice, QStringLiteral("Caricamento pagina 540... (Esc per annullare)"));
    QVERIFY(busyCursor);
    // Gone when the load ends, and the page is there.
    QCOMPARE(w().Picture1->notice(), QString());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(w().Picture1->picture().toImage(),
             QImage::fromData(pagePng(540)).convertToFormat(w().Picture1->picture().toImage().format()));
}

void PageWaitTest::inputDuringDownload_isDeliveredAfterwardsInOrder()
{
    StalledPage page(m_f->server, national(540), pagePng(540));
    m_f->server.serve(national(542), pagePng(542));
    m_f->openShown();
    w().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w()));
    w().vai->setFocus();
    QStringList duringWait;
    after(100, [&] {
        // Typed at the window while it waits: next page, next page, previous page.
        QTest::keyClick(w().windowHandle(), Qt::Key_X, Qt::NoModifier);
        QTest::keyClick(w().windowHandle(), Qt::Key_X, Qt::NoModifier);
        QTest::keyClick(w().windowHandle(), Qt::Key_Z, Qt::NoModifier);
        QTest::qWait(100);
        duringWait = requested();
        page.release();
    });
    w().pagpagiscopo->setText(QStringLiteral("540"));
    w().vai_Click();
    QCOMPARE(duringWait, QStringList{national(540)});
    QTRY_COMPARE(requested().size(), 4);
    QCOMPARE(requested(), QStringList({national(540), national(541), national(542), national(541)}));
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("541"));
}

void PageWaitTest::escape_cancelsTheDownloadAsANo()
{
    StalledPage page(m_f->server, national(540, 3), pagePng(5403));
    m_f->openShown();
    const QImage before = w().Picture1->picture().toImage();
    after(100, [&] { QTest::keyClick(w().windowHandle(), Qt::Key_Escape, Qt::NoModifier); });
    w().pagpagiscopo->setText(QStringLiteral("540"));
    w().setSubpageText(QStringLiteral("3"));
    w().vai_Click();
    // Ended long before the server would have answered; no fallback, no question.
    QTRY_VERIFY(page.clientLeft());
    QCOMPARE(page.requests(), 1);
    QCOMPARE(requested(), QStringList{national(540, 3)});
    QVERIFY(m_f->platform.questions.isEmpty());
    QCOMPARE(w().Picture1->picture().toImage(), before);
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("540"));
    QCOMPARE(w().subpageText(), QStringLiteral("3"));
    QCOMPARE(w().Picture1->notice(), QString());
}

void PageWaitTest::ticksDuringDownload_areSkipped()
{
    StalledPage page(m_f->server, national(540), pagePng(540));
    m_f->openShown();
    w().Timer1->setInterval(10);
    w().Timer1->start();
    w().Timer2->setInterval(15);
    w().Timer2->start();
    after(300, [&] {
        w().Timer1->stop();
        w().Timer2->stop();
        page.release();
    });
    w().pagpagiscopo->setText(QStringLiteral("540"));
    w().vai_Click();
    QCOMPARE(requested(), QStringList{national(540)});
    QCOMPARE(w().subpageText(), QStringLiteral("1"));
}

void PageWaitTest::closingDuringDownload_cancelsAndCloses()
{
    StalledPage page(m_f->server, national(540), pagePng(540));
    m_f->openShown();
    after(100, [&] { w().close(); });
    w().pagpagiscopo->setText(QStringLiteral("540"));
    w().vai_Click();
    QVERIFY(!w().isVisible());
    QTRY_VERIFY(page.clientLeft());
    QVERIFY(m_f->platform.questions.isEmpty());
}

void PageWaitTest::inputDuringTheSearch_isDeliveredAfterIt()
{
    // 540 is missing; the search finds 534 behind five slow missing pages.
    SlowPages slow(m_f->server);
    for (int page = 539; page >= 530; --page) {
        slow.add(national(page), 150ms, page == 534 ? pagePng(534) : HttpFixture::notFoundBody(),
                 page == 534 ? 200 : 404);
    }
    m_f->openShown();
    w().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w()));
    w().vai->setFocus();
    m_f->platform.answers = {true, false};
    // Next page, typed at the window while the probes are out.
    once(
        &w(), [&] { return slow.answering() >= 1; },
        [&] { QTest::keyClick(w().windowHandle(), Qt::Key_X, Qt::NoModifier); });
    QString pageAtSecondQuestion;
    QImage pictureAtSecondQuestion;
    m_f->platform.whileAsking = [&] {
        if (m_f->platform.questions.size() == 2) {
            pageAtSecondQuestion = w().pagpagiscopo->text();
            pictureAtSecondQuestion = w().Picture1->picture().toImage();
        }
    };
    w().pagpagiscopo->setText(QStringLiteral("540"));
    w().vai_Click();
    // The search ended on 534 first; then the key ran the next-page command, which asked about 535.
    QTRY_COMPARE(m_f->platform.questions.size(), 2);
    QCOMPARE(pictureAtSecondQuestion, QImage::fromData(pagePng(534)).convertToFormat(pictureAtSecondQuestion.format()));
    QCOMPARE(pageAtSecondQuestion, QStringLiteral("535"));
    // Asked for twice: by one of the search's probes, and by the next-page command after it. The
    // second is not necessarily the server's last request: a probe the search stopped may reach it
    // later still, while the server's threads are busy with the slow pages.
    QCOMPARE(requested().count(national(535)), 2);
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("535"));
}

void PageWaitTest::closingDuringTheSearch_cancelsEveryProbeAndCloses()
{
    SlowPages slow(m_f->server);
    for (int page = 539; page >= 500; --page) {
        slow.add(national(page), SlowPages::kHeld);
    }
    m_f->openShown();
    m_f->platform.answers = {true};
    once(
        &w(), [&] { return slow.answering() == 6; }, [&] { w().close(); });
    w().pagpagiscopo->setText(QStringLiteral("540"));
    w().vai_Click();
    QVERIFY(!w().isVisible());
    QTRY_COMPARE(slow.clientsLeft(), 6);
    QCOMPARE(requested().size(), 7);
    QCOMPARE(m_f->platform.questions.size(), 1);
}

void PageWaitTest::slowFirstPage_windowAppearsWaiting()
{
    StalledPage page(m_f->server, national(100), pagePng(100));
    bool visible = false;
    QString notice;
    after(700, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<formpagiscopo *>(widget)) {
                visible = window->isVisible();
                notice = window->Picture1->notice();
            }
        }
        page.release();
    });
    m_f->window = std::make_unique<formpagiscopo>(m_f->platform, m_f->downloader, m_f->server.baseUrl());
    QVERIFY(visible);
    QCOMPARE(notice, QStringLiteral("Caricamento pagina 100... (Esc per annullare)"));
    QVERIFY(w().Picture1->hasPicture());
    QCOMPARE(w().Picture1->notice(), QString());
}

QTEST_MAIN(PageWaitTest)
#include "tst_pagewait.moc"
