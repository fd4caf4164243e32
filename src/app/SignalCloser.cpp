#include "app/SignalCloser.h"

#include "app/AppLog.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>


namespace
{

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read by the notifier. Only async-signal-safe calls in the handler.
volatile sig_atomic_t g_writeEnd = -1;
int g_readEnd = -1;

extern "C" void onSignal(int number)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    // A full pipe means signals are already waiting to be handled: losing this byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &byte, 1);
    errno = savedErrno;
}

const char *signalName(int number)
{
    switch (number) {
    case SIGTERM:
        return "SIGTERM";
    case SIGINT:
        return "SIGINT";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "a signal";
    }
}

} // namespace

SignalCloser::SignalCloser(QObject *parent) : QObject(parent)
{
    Q_ASSERT(g_writeEnd < 0);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcApp) << "cannot make the signal pipe:" << std::strerror(errno);
        return;
    }
    g_readEnd = fds[0];
    g_writeEnd = fds[1];
    m_notifier = std::make_unique<QSocketNotifier>(g_readEnd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SignalCloser::readPipe);

    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // a download's poll() goes on, and ends the usual way
    m_active = true;
    for (const int number : kSignals) {
        struct sigaction previous;
        if (::sigaction(number, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) {
            // Started under nohup, or in the background by a shell: whoever started us wants this
            // signal ignored, and so it stays.
            qCDebug(lcApp) << signalName(number) << "was ignored at start and stays ignored";
            m_ignored.append(number);
            continue;
        }
        if (::sigaction(number, &action, nullptr) != 0) {
            qCWarning(lcApp) << "cannot handle" << signalName(number) << ":" << std::strerror(errno);
            m_active = false;
        }
    }
}

SignalCloser::~SignalCloser()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int number : kSignals) {
        if (!m_ignored.contains(number)) {
            ::sigaction(number, &action, nullptr);
        }
    }
    m_notifier.reset();
    if (g_readEnd >= 0) {
        ::close(g_readEnd);
        ::close(g_writeEnd);
    }
    g_readEnd = -1;
    g_writeEnd = -1;
}

void SignalCloser::watch(QWidget *window)
{
    m_windows.append(window);
    if (m_received != 0) {
        QTimer::singleShot(0, this, &SignalCloser::closeWindows);
    }
}

void SignalCloser::readPipe()
{
    unsigned char byte = 0;
    int last = 0;
    while (::read(g_readEnd, &byte, 1) == 1) {
        last = byte;
    }
    if (last == 0) {
        return;
    }
    m_received = last;
    qCInfo(lcApp) << signalName(last) << "received: closing";
    Q_EMIT signalReceived(last);
    closeWindows();
}

void SignalCloser::closeWindows()
{
    // A question or another dialog on screen goes first, as if its close box were used, so that
    // the code waiting for it can finish (the first page may still be loading).
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->isModal()) {
            widget->close();
        }
    }
    bool allClosed = true;
    for (const QPointer<QWidget> &window : std::as_const(m_windows)) {
        if (window && !window->close()) {
            qCInfo(lcApp) << "window" << window->objectName() << "refused to close";
            allClosed = false;
        }
    }
    // A hidden window closes without ending the event loop, and a modal dialog or a page search
    // may be running one of its own: end them all, as the last closed window would.
    if (allClosed) {
        QCoreApplication::quit();
    }
}
