#include "viewer/PageLoader.h"

#include "navigation/PageNumbers.h"
#include "platform/Platform.h"
#include "viewer/DownloadThread.h"
#include "viewer/DownloadUrl.h"
#include "viewer/LoadInput.h"
#include "viewer/ModPNG.h"
#include "viewer/PageAddress.h"
#include "viewer/ViewerLog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QCursor>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QTimer>
#include <QUrl>

#include <condition_variable>
#include <mutex>

namespace
{

constexpr qint64 kFirstAttemptThreshold = 4000;
constexpr qint64 kSearchThreshold = 2000;
constexpr int kNoticeAfterMs = 250;
constexpr qint64 kShowWindowAfterMs = 300;

const QString &searchQuestion()
{
    static const QString text = QStringLiteral("La pagina del Pagiscopo scelta,non esiste continuare a cercare?") +
                                QLatin1Char('\r') + QStringLiteral("(potrebbe richiedere alcuni secondi)");
    return text;
}

} // namespace

// The result handed over from the download thread.
struct PageLoader::Handover {
    std::mutex mutex;
    std::condition_variable arrived;
    bool done = false;
    DownloadResult result;
    QEventLoop *loop = nullptr; // touched on the loader's thread only
};

// What a load has put on screen so far, for the signal at its end.
struct PageLoader::Shown {
    bool any = false;
    QString edition;
    QString page;
    QString subpage;
    QImage picture;
    QByteArray bytes;
};

PageLoader::PageLoader(PageLoaderHost &host, Platform &platform, Downloader &downloader, const QString &serverBase,
                       QObject *parent)
    : QObject(parent), m_host(host), m_platform(platform), m_serverBase(serverBase),
      m_downloads(std::make_unique<DownloadThread>(downloader)), m_input(std::make_unique<LoadInput>())
{
    m_clock.start();
}

PageLoader::~PageLoader() = default;

void PageLoader::close()
{
    m_closing = true;
    if (isLoading()) {
        m_downloads->cancel();
    }
}

void PageLoader::load(Origin origin)
{
    if (m_closing) {
        qCDebug(lcViewer) << "no page loads while the window closes";
        return;
    }
    Shown shown;
    Attempt last = Attempt::Missing;
    loadOnce(origin, &shown, &last);
    if (shown.any) {
        Q_EMIT pageShown(shown.edition, shown.page, shown.subpage, shown.picture, shown.bytes);
        return;
    }
    switch (last) {
    case Attempt::Failed:
        Q_EMIT nothingShown(Outcome::Failed);
        break;
    case Attempt::Cancelled:
        Q_EMIT nothingShown(Outcome::Cancelled);
        break;
    case Attempt::Found:
    case Attempt::Missing:
        Q_EMIT nothingShown(Outcome::Missing);
        break;
    }
}

void PageLoader::loadOnce(Origin origin, Shown *shown, Attempt *last)
{
    ++m_loadsRunning;
    const auto done = qScopeGuard([this] { --m_loadsRunning; });
    // Only a page the server says is missing leads on to the fallback and the question; a failed
    // transfer is said so over the picture, and a cancelled download ends the load as a No.
    *last = attempt(kFirstAttemptThreshold, shown);
    if (*last == Attempt::Missing) {
        if (m_host.subpageText() != kFirstSubpage) {
            // A missing subpage falls back to the page's first subpage, with everything a load does.
            m_host.setSubpageText(kFirstSubpage);
            loadOnce(origin, shown, last);
        } else if (origin == Origin::Timer) {
            // Nobody asked for this load: a question every 30 s, maybe with the window in the
            // tray, would be asked of nobody. The picture stays as it is.
            qCDebug(lcViewer) << "page" << m_host.pageText() << "is missing; a timed load asks nothing";
        } else if (m_platform.askYesNo(m_host.questionParent(), QStringLiteral("Pagiscopo"), searchQuestion())) {
            *last = search(shown);
        }
    }
    m_host.repaintPicture();
    removePageImageFile();
}

PageLoader::Attempt PageLoader::attempt(qint64 threshold, Shown *shown)
{
    const QString edition = m_host.editionText();
    const QString page = m_host.pageText();
    const QString subpage = m_host.subpageText();
    const QByteArray address = pageAddress(m_serverBase, edition, page, subpage);
    if (address.isEmpty()) {
        qCWarning(lcViewer) << "edition" << edition << "forms no page address; nothing requested";
        return Attempt::Missing;
    }
    DownloadResult download = fetch(address);
    if (download.cancelled) {
        return Attempt::Cancelled;
    }
    // Only an answer that says the page is there or is not goes on to the size rule; anything else
    // is a failure of the transfer, said so over the picture, never a missing page.
    const QString failure = transferFailure(download);
    if (!failure.isEmpty()) {
        qCWarning(lcViewer).noquote() << addressForLog(address) << "-" << failure;
        setFailureNotice(failure);
        return Attempt::Failed;
    }

    const QString path = m_platform.pageImagePath();
    QFile file(path);
    // Truncate: a longer file left behind by a crash would otherwise keep its tail after our bytes.
    const bool opened = !path.isEmpty() && file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (!opened || file.write(download.body) != download.body.size() || !file.flush()) {
        // The page did come: a disk that takes nothing must not make it look missing.
        const QString reason = path.isEmpty() ? QStringLiteral("nessuna cartella privata") : file.errorString();
        qCWarning(lcViewer) << "cannot write the page image file" << path << reason;
        file.close();
        QFile::remove(path);
        setFailureNotice(QStringLiteral("Impossibile salvare la pagina: %1").arg(reason));
        return Attempt::Failed;
    }
    setFailureNotice(QString());
    const qint64 size = file.size();
    file.close();

    if (size < threshold) {
        qCDebug(lcViewer) << addressForLog(address) << "gave" << size << "bytes, below" << threshold << "- no such page";
        QFile::remove(path);
        return Attempt::Missing;
    }
    // The old picture goes first: nothing is painted before the new one is in place, and a large
    // page would otherwise hold two pictures at once.
    m_host.clearPicture();
    *shown = {};
    shown->picture = LoadPNGPicture(path);
    m_host.showPicture(shown->picture);
    shown->any = true;
    shown->edition = edition;
    shown->page = page;
    shown->subpage = subpage;
    shown->bytes = std::move(download.body);
    return Attempt::Found;
}

PageLoader::Attempt PageLoader::search(Shown *shown)
{
    const QString textBefore = m_host.pageText();
    m_input->searchStarted();
    const auto searchEnded = qScopeGuard([this] { m_input->searchEnded(); });
    m_input->takeEscape(); // only a press during this search counts
    Attempt ended = Attempt::Missing;
    for (;;) {
        // Read afresh each time: events handled below may have changed the page box.
        bool isNumber = false;
        const int current = m_host.pageText().toInt(&isNumber);
        const int next = m_host.searchesForward() ? current + 1 : current - 1;
        if (!isNumber || next < kFirstPage || next > kLastPage) {
            qCInfo(lcViewer) << "page search reached the end of the page range without a page";
            break;
        }
        m_host.setPageText(QString::number(next));
        const Attempt attempt = this->attempt(kSearchThreshold, shown);
        QCoreApplication::processEvents();
        if (attempt == Attempt::Found) {
            return attempt;
        }
        if (attempt == Attempt::Failed) {
            qCWarning(lcViewer) << "page search stopped: a download failed";
            ended = attempt;
            break;
        }
        if (attempt == Attempt::Cancelled) {
            qCInfo(lcViewer) << "page search stopped: its download was cancelled";
            ended = attempt;
            break;
        }
        if (m_input->takeEscape()) {
            qCInfo(lcViewer) << "page search cancelled with Escape";
            ended = Attempt::Cancelled;
            break;
        }
        if (m_closing) {
            ended = Attempt::Cancelled;
            break;
        }
    }
    m_host.setPageText(textBefore);
    return ended;
}

QString PageLoader::transferFailure(const DownloadResult &download) const
{
    if (!download.responded) {
        // Nothing came back at all: a server out of reach.
        const QString reason = download.failure.isEmpty() ? QStringLiteral("nessuna risposta") : download.failure;
        return QStringLiteral("Server non raggiungibile: %1 (%2)").arg(QUrl(m_serverBase).authority(), reason);
    }
    if (!download.failure.isEmpty()) {
        return QStringLiteral("Impossibile scaricare la pagina: %1").arg(download.failure);
    }
    // The server's word that there is no such page leads to the size rule, as a short body does;
    // every other refusal or fault of the server is its own to explain.
    const int status = download.status;
    if ((status >= 200 && status < 300) || status == 404 || status == 410) {
        return {};
    }
    return QStringLiteral("Il server ha risposto %1").arg(status);
}

void PageLoader::prefetch(const QByteArray &address)
{
    if (address.isEmpty() || m_prefetched) {
        return;
    }
    qCDebug(lcViewer) << "fetching" << addressForLog(address) << "ahead of its load";
    m_prefetchedAddress = address;
    m_prefetched = startDownload(address);
}

std::shared_ptr<PageLoader::Handover> PageLoader::startDownload(const QByteArray &url)
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
            QCoreApplication::instance(),
            [handover] {
                if (handover->loop) {
                    handover->loop->quit();
                }
            },
            Qt::QueuedConnection);
    });
    return handover;
}

DownloadResult PageLoader::fetch(const QByteArray &url)
{
    std::shared_ptr<Handover> handover = std::exchange(m_prefetched, nullptr);
    if (handover && std::exchange(m_prefetchedAddress, {}) != url) {
        // Asked for something else after all: the early answer is not this page's.
        qCDebug(lcViewer) << "the page fetched ahead is not the one asked for; dropping it";
        handover.reset();
    }
    if (!handover) {
        handover = startDownload(url);
    }

    {
        QEventLoop loop;
        handover->loop = &loop;
        m_input->beginHold([this] {
            qCInfo(lcViewer) << "Escape: the page download is cancelled";
            m_downloads->cancel();
        });
        const auto release = qScopeGuard([this] { m_input->endHold(); });
        QTimer notice;
        notice.setSingleShot(true);
        connect(&notice, &QTimer::timeout, this, [this] { showWaitNotice(true); });
        notice.start(kNoticeAfterMs);
        // At start-up a slow first page does not keep the window away: it appears, waiting.
        QTimer appear;
        if (m_startingUp && !m_host.isShown()) {
            appear.setSingleShot(true);
            connect(&appear, &QTimer::timeout, this, [this] {
                if (!m_host.isShown() && !m_closing) {
                    qCInfo(lcViewer) << "the first page is slow to come; showing the window meanwhile";
                    m_host.showWhileWaiting();
                }
            });
            appear.start(int(qMax<qint64>(0, kShowWindowAfterMs - m_clock.elapsed())));
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

void PageLoader::setFailureNotice(const QString &notice)
{
    if (notice == m_failureNotice) {
        return;
    }
    m_failureNotice = notice;
    if (!m_waitNoticeShown) {
        m_host.showNotice(m_failureNotice);
    }
}

void PageLoader::showWaitNotice(bool visible)
{
    if (visible == m_waitNoticeShown) {
        return;
    }
    m_waitNoticeShown = visible;
    if (visible) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        m_host.showNotice(QStringLiteral("Caricamento pagina %1... (Esc per annullare)").arg(m_host.pageText()));
    } else {
        QGuiApplication::restoreOverrideCursor();
        m_host.showNotice(m_failureNotice);
    }
}

void PageLoader::removePageImageFile() const
{
    const QString path = m_platform.pageImagePath();
    if (!path.isEmpty() && QFile::exists(path) && !QFile::remove(path)) {
        qCWarning(lcViewer) << "cannot remove the page image file" << path;
    }
}
