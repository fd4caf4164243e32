#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (the session ends) close the program as its close box does: an open
// modal dialog is closed, each watched window gets close(), so its closeEvent and Form_Unload
// run, and then the event loops end and main() returns normally, with its clean-up and exit
// status 0.
//
// The handler only writes the signal's number into a pipe; the work happens in the event loop,
// when a QSocketNotifier sees the pipe readable. One instance at a time; the handlers are put
// back to the default when it goes. A signal that was ignored when we started (nohup) stays ignored.
class SignalCloser : public QObject
{
    Q_OBJECT

public:
    explicit SignalCloser(QObject *parent = nullptr);
    ~SignalCloser() override;

    // False when the pipe or the handlers could not be set up (logged); signals then end the
    // program as they would without us.
    bool isActive() const { return m_active; }

    // Closes `window` on the next signal. A signal that came before the window was watched (while
    // the first page loaded) closes it as soon as the event loop runs.
    void watch(QWidget *window);

    // The last signal received, 0 for none.
    int receivedSignal() const { return m_received; }

Q_SIGNALS:
    void signalReceived(int number);

private:
    void readPipe();
    void closeWindows();

    std::unique_ptr<QSocketNotifier> m_notifier;
    QList<QPointer<QWidget>> m_windows;
    QList<int> m_ignored;
    int m_received = 0;
    bool m_active = false;
};
