#include "app/SignalCloser.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <csignal>

namespace
{

// A window that counts its close events and can refuse them, as a window with unsaved work would.
class Window : public QWidget
{
public:
    int closeEvents = 0;
    bool refuse = false;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closeEvents;
        if (refuse) {
            event->ignore();
        } else {
            event->accept();
        }
    }
};

// Runs the application's event loop as main() does, with `start` queued first. A loop nobody ends
// gives up after a minute with status 99, so a broken closer fails instead of hanging.
int runEventLoop(const std::function<void()> &start)
{
    QTimer::singleShot(0, qApp, start);
    QTimer::singleShot(60'000, qApp, [] { QCoreApplication::exit(99); });
    return QApplication::exec();
}

} // namespace

class SignalCloserTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signal_closesTheWindowAndEndsTheLoop_data();
    void signal_closesTheWindowAndEndsTheLoop();
    void signal_answersAnOpenQuestionFirst();
    void signalDuringStartUp_closesTheWindowOnceTheLoopRuns();
    void refusedClose_keepsTheProgramRunning();
    void signalIgnoredAtStart_staysIgnored();
};

void SignalCloserTest::signal_closesTheWindowAndEndsTheLoop_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void SignalCloserTest::signal_closesTheWindowAndEndsTheLoop()
{
    QFETCH(int, number);
    SignalCloser closer;
    QVERIFY(closer.isActive());
    Window window;
    window.show();
    closer.watch(&window);
    const int status = runEventLoop([number] { ::raise(number); });
    QCOMPARE(status, 0);
    QCOMPARE(window.closeEvents, 1);
    QVERIFY(!window.isVisible());
    QCOMPARE(closer.receivedSignal(), number);
}

void SignalCloserTest::signal_answersAnOpenQuestionFirst()
{
    SignalCloser closer;
    Window window;
    window.show();
    closer.watch(&window);
    int answer = -1;
    int closeEventsWhileAsking = -1;
    const int status = runEventLoop([&] {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Pagiscopo"), QStringLiteral("continuare?"),
                        QMessageBox::Yes | QMessageBox::No, &window);
        // Once the question is on screen, the session ends.
        QTimer::singleShot(0, &box, [] { ::raise(SIGHUP); });
        answer = box.exec();
        closeEventsWhileAsking = window.closeEvents;
    });
    QCOMPARE(status, 0);
    QCOMPARE(answer, int(QMessageBox::No)); // closed as its close box would
    QCOMPARE(closeEventsWhileAsking, 1);
    QCOMPARE(window.closeEvents, 1);
}

void SignalCloserTest::signalDuringStartUp_closesTheWindowOnceTheLoopRuns()
{
    // As in main(): the closer exists while the window is still being built.
    SignalCloser closer;
    ::raise(SIGTERM);
    QTRY_COMPARE(closer.receivedSignal(), SIGTERM);
    Window window;
    window.show();
    closer.watch(&window);
    QCOMPARE(window.closeEvents, 0);
    const int status = runEventLoop([] {});
    QCOMPARE(status, 0);
    QCOMPARE(window.closeEvents, 1);
}

void SignalCloserTest::refusedClose_keepsTheProgramRunning()
{
    SignalCloser closer;
    Window window;
    window.refuse = true;
    window.show();
    closer.watch(&window);
    // Queued after the closer's own handling: it ends the loop only if the closer did not.
    connect(
        &closer, &SignalCloser::signalReceived, qApp, [] { QCoreApplication::exit(7); }, Qt::QueuedConnection);
    const int status = runEventLoop([] { ::raise(SIGTERM); });
    QCOMPARE(status, 7);
    QCOMPARE(window.closeEvents, 1);
    QVERIFY(window.isVisible());
}

void SignalCloserTest::signalIgnoredAtStart_staysIgnored()
{
    // As nohup starts a program.
    std::signal(SIGHUP, SIG_IGN);
    {
        SignalCloser closer;
        Window window;
        window.show();
        closer.watch(&window);
        ::raise(SIGHUP); // would end the test program if it were not ignored
        QCoreApplication::processEvents();
        QCOMPARE(closer.receivedSignal(), 0);
        QCOMPARE(window.closeEvents, 0);
    }
    QVERIFY(std::signal(SIGHUP, SIG_DFL) == SIG_IGN);
}

QTEST_MAIN(SignalCloserTest)
#include "tst_signalcloser.moc"
