// Waiting for a page image: the download runs on its own thread while the window goes on painting,
// keeps the input for later, shows that it waits, and lets Escape and closing stop the wait.

#include "viewer/DownloadThread.h"
#include "viewer/LoadInput.h"
#include "viewer/ViewerLog.h"
#include "windows/PictureBox.h"
#include "windows/formpagiscopo.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTimer>
#include <QWindow>

#include <condition_variable>
#include <mutex>

namespace
{

constexpr int kNoticeAfterMs = 250;
constexpr qint64 kShowWindowAfterMs = 300;

// The result handed over from the download thread.
struct Handover {
    std::mutex mutex;
    std::condition_variable arrived;
    bool done = false;
    DownloadResult result;
    QEventLoop *loop = nullptr; // touched on the window's thread only
};

} // namespace

DownloadResult formpagiscopo::fetchPageImage(const QByteArray &url)
{
    auto handover = std::make_shared<Handover>();
    m_downloads->start(url, [handover](DownloadResult result) {
        {
            const std::lock_guard lock(handover->mutex);
            handover->result = std::move(result);
            handover->done = true;
        }
        handover->arrived.notify_all();
        QMetaObject::invokeMethod(
            qApp,
            [handover] {
                if (handover->loop) {
                    handover->loop->quit();
                }
            },
            Qt::QueuedConnection);
    });

    {
        QEventLoop loop;
        handover->loop = &loop;
        m_loadInput->beginHold([this] {
            qCInfo(lcViewer) << "Escape: the page download is cancelled";
            m_downloads->cancel();
        });
        const auto release = qScopeGuard([this] { m_loadInput->endHold(); });
        QTimer notice;
        notice.setSingleShot(true);
        connect(&notice, &QTimer::timeout, this, [this] { showWaitNotice(true); });
        notice.start(kNoticeAfterMs);
        // At start-up a slow first page does not keep the window away: it appears, waiting.
        QTimer appear;
        if (m_startingUp && !isVisible()) {
            appear.setSingleShot(true);
            connect(&appear, &QTimer::timeout, this, [this] {
                if (!isVisible() && !m_closing) {
                    qCInfo(lcViewer) << "the first page is slow to come; showing the window meanwhile";
                    show();
                }
            });
            appear.start(int(qMax<qint64>(0, kShowWindowAfterMs - m_startClock.elapsed())));
        }
        bool finished = false;
        {
            const std::lock_guard lock(handover->mutex);
            finished = handover->done;
        }
        if (!finished) {
            loop.exec();
        }
        handover->loop = nullptr;
        showWaitNotice(false);
    }

    // The loop also ends when the program quits; the download must not outlive this call.
    std::unique_lock lock(handover->mutex);
    if (!handover->done) {
        m_downloads->cancel();
        handover->arrived.wait(lock, [&] { return handover->done; });
    }
    return std::move(handover->result);
}

void formpagiscopo::showWaitNotice(bool visible)
{
    if (visible == m_waitNoticeShown) {
        return;
    }
    m_waitNoticeShown = visible;
    if (visible) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        Picture1->setNotice(QStringLiteral("Caricamento pagina %1... (Esc per annullare)").arg(pagpagiscopo->text()));
    } else {
        QApplication::restoreOverrideCursor();
        Picture1->setNotice(m_failureNotice);
    }
}
