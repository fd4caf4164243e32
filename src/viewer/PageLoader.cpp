#include "viewer/PageLoader.h"

#include "navigation/PageNumbers.h"
#include "platform/Platform.h"
#include "viewer/DownloadThread.h"
#include "viewer/DownloadUrl.h"
#include "viewer/HttpPool.h"
#include "viewer/LoadInput.h"
#include "viewer/ModPNG.h"
#include "viewer/PageAddress.h"
#include "viewer/PageSearch.h"
#include "viewer/ViewerLog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QCursor>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>

namespace
{

constexpr qint64 kFirstAttemptThreshold = 4000;
constexpr qint64 kSearchThreshold = 2000;
constexpr int kNoticeAfterMs = 250;
constexpr qint64 kShowWindowAfterMs = 300;

QString waitNotice(const QString &page)
{
    return QStringLiteral("Caricamento pagina %1... (Esc per annullare)").arg(page);
}

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
    DecodedAhead ahead; // set with `result`, for a download made ahead of its load
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
    : QObject(parent), m_host(host), m_platform(platform), m_serverBase(serverBase), m_pool(downloader.pool()),
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
        for (Search *search : m_searches) {
            stopSearch(*search);
        }
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
    return take(address, threshold, fetch(address), edition, page, subpage, shown);
}

PageLoader::Attempt PageLoader::take(const QByteArray &address, qint64 threshold, DownloadResult download,
                                     const QString &edition, const QString &page, const QString &subpage, Shown *shown)
{
    // Whatever comes of this answer, a picture decoded ahead is never some later answer's.
    const DecodedAhead ahead = std::exchange(m_decodedAhead, {});
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
        qCDebug(lcViewer) << addressForLog(address) << "gave" << size << "bytes, below" << threshold
                          << "- no such page";
        QFile::remove(path);
        return Attempt::Missing;
    }
    // The old picture goes first: nothing is painted before the new one is in place, and a large
    // page would otherwise hold two pictures at once.
    m_host.clearPicture();
    *shown = {};
    shown->picture = LoadPNGPicture(path, ahead);
    m_host.showPicture(shown->picture);
    shown->any = true;
    shown->edition = edition;
    shown->page = page;
    shown->subpage = subpage;
    shown->bytes = std::move(download.body);
    return Attempt::Found;
}

// One page search under way. The probes' answers arrive on the pool's thread and wait in the
// inbox for the loader's thread; the rest belongs to the loader's thread alone.
struct PageLoader::Search {
    struct Answer {
        int generation = 0;
        int page = 0;
        DownloadResult download;
    };
    // Outlives the search: an answer may come after it has ended.
    struct Inbox {
        std::mutex mutex;
        std::deque<Answer> answers;
        QEventLoop *loop = nullptr; // touched on the loader's thread only
        bool woken = false;         // likewise

        std::deque<Answer> take()
        {
            const std::lock_guard lock(mutex);
            return std::exchange(answers, {});
        }
        bool empty()
        {
            const std::lock_guard lock(mutex);
            return answers.empty();
        }
    };
    std::shared_ptr<Inbox> inbox = std::make_shared<Inbox>();
    bool stopped = false;

    // What the probes were planned from: a load run meanwhile that changes any of it (a command
    // handled while the search waits) makes the search start again from there, as a walk would
    // have stepped on from whatever the page box said.
    int generation = 0;
    QString edition;
    QString subpage;
    bool forward = false;
    QString pageText; // what the page box was left showing
    PageSearch pages;
    std::map<int, HttpPool::Ticket> probes; // in flight
    std::map<int, DownloadResult> found;    // held until every nearer page is known to be missing
    std::map<int, QString> failures;
    int requests = 0;

    QByteArray address(const QString &base, int page) const
    {
        return pageAddress(base, edition, QString::number(page), subpage);
    }
};

PageLoader::Attempt PageLoader::search(Shown *shown)
{
    const QString textBefore = m_host.pageText();
    Search search;
    m_searches.push_back(&search);
    m_input->beginHold([this, &search] {
        qCInfo(lcViewer) << "Escape: the page search is cancelled";
        stopSearch(search);
    });
    QTimer notice;
    notice.setSingleShot(true);
    connect(&notice, &QTimer::timeout, this, [this] { showWaitNotice(true); });
    notice.start(kNoticeAfterMs);
    const auto cleanUp = qScopeGuard([this, &search] {
        stopProbes(search, false);
        m_searches.erase(std::find(m_searches.begin(), m_searches.end(), &search));
        m_input->endHold();
        showWaitNotice(false);
    });
    QElapsedTimer clock;
    clock.start();
    plan(search);

    Attempt ended = Attempt::Missing;
    QEventLoop loop;
    for (;;) {
        if (search.stopped || m_closing) {
            stopProbes(search, false);
            ended = Attempt::Cancelled;
            break;
        }
        for (Search::Answer &answer : search.inbox->take()) {
            if (answer.generation == search.generation && !answer.download.cancelled) {
                search.probes.erase(answer.page);
                hear(search, answer.page, std::move(answer.download));
            }
        }
        const PageSearch::Outcome outcome = search.pages.outcome();
        if (outcome == PageSearch::Outcome::Found) {
            const int page = *search.pages.decidedPage();
            // Farther probes still under way are of no use now; their connections are.
            stopProbes(search, true);
            qCInfo(lcViewer) << "page search found page" << page << "after" << search.requests << "requests in"
                             << clock.elapsed() << "ms" << (search.pages.oneAtATime() ? "(one at a time)" : "");
            const QString pageText = QString::number(page);
            m_host.setPageText(pageText);
            ended = take(search.address(m_serverBase, page), kSearchThreshold, std::move(search.found[page]),
                         search.edition, pageText, search.subpage, shown);
            if (ended == Attempt::Found) {
                return ended;
            }
            break;
        }
        if (outcome == PageSearch::Outcome::Failed) {
            const int page = *search.pages.decidedPage();
            stopProbes(search, true);
            qCWarning(lcViewer).noquote() << "page search stopped:" << addressForLog(search.address(m_serverBase, page))
                                          << "-" << search.failures[page];
            setFailureNotice(search.failures[page]);
            ended = Attempt::Failed;
            break;
        }
        if (outcome == PageSearch::Outcome::Exhausted) {
            qCInfo(lcViewer) << "page search reached the end of the page range without a page after" << search.requests
                             << "requests";
            break;
        }

        while (const std::optional<int> page = search.pages.nextToAsk()) {
            ask(search, *page);
        }
        // The page box shows the page a walk would be trying now.
        const QString nearest = QString::number(*search.pages.nearestUndecided());
        if (nearest != search.pageText) {
            m_host.setPageText(nearest);
            search.pageText = nearest;
            if (m_waitNoticeShown) {
                m_host.showNotice(waitNotice(nearest));
            }
        }

        if (search.inbox->empty()) {
            search.inbox->woken = false;
            search.inbox->loop = &loop;
            loop.exec();
            search.inbox->loop = nullptr;
            if (!search.inbox->woken && !search.stopped && !m_closing) {
                // Nothing of ours ended the wait: the program is quitting.
                qCInfo(lcViewer) << "page search abandoned: the program quits";
                stopSearch(search);
                continue;
            }
        }
        if (m_host.pageText() != search.pageText || m_host.editionText() != search.edition ||
            m_host.subpageText() != search.subpage || m_host.searchesForward() != search.forward) {
            qCInfo(lcViewer) << "a load during the page search left page" << m_host.pageText()
                             << "in the page box; the search goes on from there";
            plan(search);
        }
    }
    m_host.setPageText(textBefore);
    return ended;
}

void PageLoader::plan(Search &search)
{
    stopProbes(search, true);
    search.found.clear();
    search.failures.clear();
    ++search.generation;
    search.edition = m_host.editionText();
    search.subpage = m_host.subpageText();
    search.forward = m_host.searchesForward();
    search.pageText = m_host.pageText();
    bool isNumber = false;
    const int from = search.pageText.toInt(&isNumber);
    search.pages = isNumber ? PageSearch(from, search.forward, kFirstPage, kLastPage) : PageSearch();
    if (search.pages.candidates() > 0 && search.address(m_serverBase, kFirstPage).isEmpty()) {
        qCWarning(lcViewer) << "edition" << search.edition << "forms no page address; nothing requested";
        search.pages = PageSearch();
    }
}

void PageLoader::ask(Search &search, int page)
{
    const int generation = search.generation;
    std::shared_ptr<Search::Inbox> inbox = search.inbox;
    ++search.requests;
    search.probes[page] =
        m_pool.start(search.address(m_serverBase, page), [inbox, generation, page](DownloadResult download) {
            {
                const std::lock_guard lock(inbox->mutex);
                inbox->answers.push_back({generation, page, std::move(download)});
            }
            QCoreApplication *application = QCoreApplication::instance();
            if (!application) {
                return; // a probe stopped as the program ends
            }
            QMetaObject::invokeMethod(
                application,
                [inbox] {
                    inbox->woken = true;
                    if (inbox->loop) {
                        inbox->loop->quit();
                    }
                },
                Qt::QueuedConnection);
        });
}

void PageLoader::hear(Search &search, int page, DownloadResult download)
{
    // The search's own size rule, on the bytes as they came: only the winner goes through the
    // page image file.
    const QString failure = transferFailure(download);
    PageSearch::Answer answer = PageSearch::Answer::Found;
    if (!failure.isEmpty()) {
        search.failures[page] = failure;
        const bool refused = download.status == 429 || download.status == 503 || download.connectionFailed;
        answer = refused ? PageSearch::Answer::Refused : PageSearch::Answer::Failed;
    } else if (download.body.size() < kSearchThreshold) {
        qCDebug(lcViewer) << addressForLog(search.address(m_serverBase, page)) << "gave" << download.body.size()
                          << "bytes, below" << kSearchThreshold << "- no such page";
        answer = PageSearch::Answer::Missing;
    } else {
        search.found[page] = std::move(download);
    }
    if (search.pages.record(page, answer)) {
        // A server that is overwhelmed, or whose connections fail, gets one request at a time.
        qCWarning(lcViewer).noquote() << "page search goes on one page at a time:"
                                      << addressForLog(search.address(m_serverBase, page)) << "-" << failure;
    }
}

void PageLoader::stopProbes(Search &search, bool keepConnections)
{
    for (const auto &[page, ticket] : search.probes) {
        m_pool.stop(ticket, keepConnections ? HttpPool::Stop::KeepConnection : HttpPool::Stop::Now);
    }
    search.probes.clear();
}

void PageLoader::stopSearch(Search &search)
{
    search.stopped = true;
    stopProbes(search, false);
    if (search.inbox->loop) {
        search.inbox->loop->quit();
    }
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

EarlyDownload::EarlyDownload(Downloader &downloader, const QByteArray &address)
    : m_address(address), m_downloads(std::make_unique<DownloadThread>(downloader))
{
    qCDebug(lcViewer) << "fetching" << addressForLog(address) << "before the window exists";
    m_handover = PageLoader::startDownload(*m_downloads, address, true);
}

// Once taken over, nothing is left here; otherwise the download thread's end cancels the download
// and waits for it.
EarlyDownload::~EarlyDownload() = default;

void PageLoader::prefetch(const QByteArray &address)
{
    if (address.isEmpty() || m_prefetched) {
        return;
    }
    qCDebug(lcViewer) << "fetching" << addressForLog(address) << "ahead of its load";
    m_prefetchedAddress = address;
    m_prefetched = startDownload(*m_downloads, address, true);
}

void PageLoader::prefetch(std::unique_ptr<EarlyDownload> early)
{
    if (!early || m_prefetched || isLoading()) {
        return;
    }
    // Nothing of this loader's own is under way yet, so its download thread can give way to the
    // one already running the early download.
    m_downloads = std::move(early->m_downloads);
    m_prefetchedAddress = early->m_address;
    m_prefetched = std::move(early->m_handover);
}

std::shared_ptr<PageLoader::Handover> PageLoader::startDownload(DownloadThread &downloads, const QByteArray &url,
                                                                bool decodeAhead)
{
    auto handover = std::make_shared<Handover>();
    downloads.start(url, [handover, decodeAhead](DownloadResult result) {
        // Decoded here, on the download's thread, while the window is still being built; the load
        // takes the picture only if the page image file it writes holds these very bytes.
        DecodedAhead ahead;
        if (decodeAhead && !result.cancelled && result.failure.isEmpty() && result.status >= 200 &&
            result.status < 300 && result.body.size() >= kSearchThreshold) {
            ahead = ::decodeAhead(result.body);
        }
        {
            const std::lock_guard lock(handover->mutex);
            handover->ahead = std::move(ahead);
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
        handover = startDownload(*m_downloads, url, false);
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
    m_decodedAhead = std::move(handover->ahead);
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
        m_host.showNotice(waitNotice(m_host.pageText()));
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
