#include "viewer/HttpPool.h"

#include "viewer/ViewerLog.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

// What a stopped transfer may still take to keep its connection: an answer that says a page is
// missing is a few hundred bytes away, a page that nobody wants any more may be tens of KiB.
constexpr auto kDrainTime = std::chrono::milliseconds(1000);
constexpr qint64 kDrainBytes = 256 * 1024;
// Easy handles kept between transfers, each with its options set once.
constexpr size_t kIdleHandles = size_t(HttpPool::kMaxConnectionsPerHost) + 2;

struct Job {
    HttpPool::Ticket ticket = 0;
    QByteArray url;
    HttpPool::Finished finished;
    const std::atomic<bool> *cancel = nullptr;
    CURL *easy = nullptr;
    QByteArray body;
    qint64 cap = 0;
    bool overCap = false;
    // Stopped, but read to its end so that its connection can be kept.
    bool draining = false;
    qint64 drained = 0;
    Clock::time_point drainUntil;
};

bool cancelRequested(const Job &job)
{
    return job.cancel && job.cancel->load(std::memory_order_acquire);
}

int checkCancel(void *userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    // Non-zero stops the transfer there and then.
    return cancelRequested(*static_cast<Job *>(userData)) ? 1 : 0;
}

size_t receive(char *data, size_t size, size_t count, void *userData)
{
    auto *job = static_cast<Job *>(userData);
    const size_t bytes = size * count;
    if (job->draining) {
        job->drained += qint64(bytes);
        return job->drained > kDrainBytes ? 0 : bytes; // too long to be worth the connection
    }
    if (job->body.size() + qint64(bytes) > job->cap) {
        job->overCap = true;
        return 0; // makes libcurl stop with a write error
    }
    job->body.append(data, qsizetype(bytes));
    return bytes;
}

// Why a transfer failed, as the user is told it.
QString failureText(CURLcode rc)
{
    switch (rc) {
    case CURLE_TOO_MANY_REDIRECTS:
        return QStringLiteral("troppi reindirizzamenti");
    case CURLE_PARTIAL_FILE:
        return QStringLiteral("connessione interrotta");
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
        return QStringLiteral("connessione sicura non riuscita");
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("nome del server sconosciuto");
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("connessione rifiutata");
    case CURLE_OPERATION_TIMEDOUT:
        return QStringLiteral("il server non risponde");
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
        return QStringLiteral("connessione interrotta");
    default:
        return QStringLiteral("errore di rete: ") + QString::fromUtf8(curl_easy_strerror(rc));
    }
}

// Refused, reset, or closed before the answer was whole. (A server that is merely slow is not
// counted: asking it again would only wait as long once more.)
bool connectionBroke(CURLcode rc)
{
    switch (rc) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return true;
    default:
        return false;
    }
}

void initialiseCurlOnce()
{
    static const bool initialised = [] {
        const CURLcode rc = curl_global_init(CURL_GLOBAL_DEFAULT);
        if (rc != CURLE_OK) {
            qCCritical(lcDownload) << "libcurl cannot start:" << curl_easy_strerror(rc);
        }
        return rc == CURLE_OK;
    }();
    Q_UNUSED(initialised);
}

} // namespace

struct HttpPool::Private {
    DownloadLimits limits;
    CURLM *multi = nullptr;

    std::mutex mutex; // guards the three below
    std::deque<std::unique_ptr<Job>> submitted;
    std::vector<std::pair<Ticket, Stop>> stops;
    bool ending = false;
    std::atomic<Ticket> lastTicket{0};
    std::atomic<long> opened{0};
    std::atomic<long> kept{0};

    // The pool's thread only.
    std::map<Ticket, std::unique_ptr<Job>> active;
    std::vector<CURL *> idle;
    std::thread thread;

    void run();
    CURL *takeHandle();
    void begin(std::unique_ptr<Job> job);
    void stopOne(Ticket ticket, Stop how);
    void checkFlagsAndDrains();
    void complete(Ticket ticket, CURLcode rc);
    void abandon(Ticket ticket, bool quietly);
    void release(Job &job);
    DownloadResult result(Job &job, CURLcode rc) const;
};

HttpPool::HttpPool(DownloadLimits limits) : d(std::make_unique<Private>())
{
    initialiseCurlOnce();
    d->limits = limits;
    d->multi = curl_multi_init();
    if (!d->multi) {
        qCCritical(lcDownload) << "cannot create a libcurl handle; every page will count as missing";
        return;
    }
    // Counts idle kept connections too: at the limit libcurl closes the oldest idle one before it
    // opens another, and a transfer that finds every connection busy waits for one.
    curl_multi_setopt(d->multi, CURLMOPT_MAX_HOST_CONNECTIONS, kMaxConnectionsPerHost);
    curl_multi_setopt(d->multi, CURLMOPT_MAXCONNECTS, kMaxConnectionsPerHost);
    d->thread = std::thread([this] { d->run(); });
}

HttpPool::~HttpPool()
{
    if (d->multi) {
        {
            const std::lock_guard lock(d->mutex);
            d->ending = true;
        }
        curl_multi_wakeup(d->multi);
        d->thread.join();
    }
    for (CURL *handle : d->idle) {
        curl_easy_cleanup(handle);
    }
    if (d->multi) {
        curl_multi_cleanup(d->multi);
    }
}

HttpPool::Ticket HttpPool::start(const QByteArray &url, Finished finished, const std::atomic<bool> *cancel)
{
    auto job = std::make_unique<Job>();
    job->ticket = ++d->lastTicket;
    job->url = url;
    job->finished = std::move(finished);
    job->cancel = cancel;
    job->cap = d->limits.maxBodyBytes;
    const Ticket ticket = job->ticket;
    if (!d->multi) {
        DownloadResult failed;
        failed.failure = QStringLiteral("errore interno del programma");
        job->finished(std::move(failed));
        return ticket;
    }
    {
        const std::lock_guard lock(d->mutex);
        d->submitted.push_back(std::move(job));
    }
    curl_multi_wakeup(d->multi);
    return ticket;
}

void HttpPool::stop(Ticket ticket, Stop how)
{
    if (!d->multi) {
        return;
    }
    {
        const std::lock_guard lock(d->mutex);
        d->stops.emplace_back(ticket, how);
    }
    curl_multi_wakeup(d->multi);
}

void HttpPool::wakeUp()
{
    if (d->multi) {
        curl_multi_wakeup(d->multi);
    }
}

long HttpPool::connectionsOpened() const
{
    return d->opened.load();
}

long HttpPool::connectionsKeptAfterStop() const
{
    return d->kept.load();
}

void HttpPool::Private::run()
{
    for (;;) {
        std::deque<std::unique_ptr<Job>> arriving;
        std::vector<std::pair<Ticket, Stop>> stopping;
        bool end = false;
        {
            const std::lock_guard lock(mutex);
            arriving.swap(submitted);
            stopping.swap(stops);
            end = ending;
        }
        if (end) {
            for (auto &job : arriving) {
                DownloadResult cancelled;
                cancelled.cancelled = true;
                job->finished(std::move(cancelled));
            }
            while (!active.empty()) {
                abandon(active.begin()->first, false);
            }
            return;
        }
        for (auto &job : arriving) {
            begin(std::move(job));
        }
        for (const auto &[ticket, how] : stopping) {
            stopOne(ticket, how);
        }
        checkFlagsAndDrains();

        int running = 0;
        curl_multi_perform(multi, &running);
        // Read every message first: removing a handle invalidates what the queue holds.
        std::vector<std::pair<Ticket, CURLcode>> done;
        int queued = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                char *job = nullptr;
                curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &job);
                done.emplace_back(reinterpret_cast<Job *>(job)->ticket, message->data.result);
            }
        }
        for (const auto &[ticket, rc] : done) {
            complete(ticket, rc);
        }

        // Waits for a socket, a time-out of libcurl's, wakeUp(), or the end of a drain.
        int waitMs = 1000;
        const auto now = Clock::now();
        for (const auto &[ticket, job] : active) {
            if (job->draining) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(job->drainUntil - now).count();
                waitMs = std::clamp(int(left) + 1, 1, waitMs);
            }
        }
        curl_multi_poll(multi, nullptr, 0, waitMs, nullptr);
    }
}

CURL *HttpPool::Private::takeHandle()
{
    if (!idle.empty()) {
        CURL *handle = idle.back();
        idle.pop_back();
        return handle;
    }
    CURL *h = curl_easy_init();
    if (!h) {
        return nullptr;
    }
    // The teletext server knows its clients by this name.
    curl_easy_setopt(h, CURLOPT_USERAGENT, "VB_APP");
    // Always a direct connection, whatever http_proxy and friends say.
    curl_easy_setopt(h, CURLOPT_PROXY, "");
    curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, limits.maxRedirects);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(limits.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, long(limits.stallTimeout.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(limits.totalTimeout.count()));
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    if (!limits.reuseConnections) {
        curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
    }
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, receive);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, checkCancel);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    return h;
}

void HttpPool::Private::begin(std::unique_ptr<Job> job)
{
    job->easy = takeHandle();
    if (!job->easy) {
        qCCritical(lcDownload) << "cannot create a libcurl handle for" << addressForLog(job->url);
        DownloadResult failed;
        failed.failure = QStringLiteral("errore interno del programma");
        job->finished(std::move(failed));
        return;
    }
    CURL *h = job->easy;
    curl_easy_setopt(h, CURLOPT_URL, job->url.constData());
    curl_easy_setopt(h, CURLOPT_WRITEDATA, job.get());
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, job.get());
    curl_easy_setopt(h, CURLOPT_PRIVATE, job.get());
    if (curl_multi_add_handle(multi, h) != CURLM_OK) {
        qCCritical(lcDownload) << "libcurl refused the transfer of" << addressForLog(job->url);
        idle.push_back(h);
        DownloadResult failed;
        failed.failure = QStringLiteral("errore interno del programma");
        job->finished(std::move(failed));
        return;
    }
    const Ticket ticket = job->ticket;
    active.emplace(ticket, std::move(job));
}

void HttpPool::Private::stopOne(Ticket ticket, Stop how)
{
    const auto it = active.find(ticket);
    if (it == active.end() || it->second->draining) {
        return; // ended already
    }
    Job &job = *it->second;
    curl_off_t length = -1;
    curl_easy_getinfo(job.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (how == Stop::Now || length > kDrainBytes) {
        abandon(ticket, false);
        return;
    }
    // The owner hears now that it is over; the connection finishes the answer on its own.
    qCDebug(lcDownload) << "download of" << addressForLog(job.url) << "no longer wanted; reading its end";
    DownloadResult cancelled;
    cancelled.cancelled = true;
    Finished finished = std::exchange(job.finished, nullptr);
    job.cancel = nullptr;
    job.draining = true;
    job.drained = job.body.size();
    job.body = QByteArray();
    job.drainUntil = Clock::now() + kDrainTime;
    finished(std::move(cancelled));
}

void HttpPool::Private::checkFlagsAndDrains()
{
    const auto now = Clock::now();
    std::vector<Ticket> over;
    for (const auto &[ticket, job] : active) {
        if (cancelRequested(*job) || (job->draining && now >= job->drainUntil)) {
            over.push_back(ticket);
        }
    }
    for (const Ticket ticket : over) {
        abandon(ticket, active.at(ticket)->draining);
    }
}

void HttpPool::Private::release(Job &job)
{
    long connects = 0;
    curl_easy_getinfo(job.easy, CURLINFO_NUM_CONNECTS, &connects);
    opened += connects;
    curl_multi_remove_handle(multi, job.easy);
    curl_easy_setopt(job.easy, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(job.easy, CURLOPT_XFERINFODATA, nullptr);
    curl_easy_setopt(job.easy, CURLOPT_PRIVATE, nullptr);
    if (idle.size() < kIdleHandles) {
        idle.push_back(job.easy);
    } else {
        curl_easy_cleanup(job.easy);
    }
    job.easy = nullptr;
}

void HttpPool::Private::abandon(Ticket ticket, bool quietly)
{
    std::unique_ptr<Job> job = std::move(active.at(ticket));
    active.erase(ticket);
    long status = 0;
    curl_easy_getinfo(job->easy, CURLINFO_RESPONSE_CODE, &status);
    // Taken off before its answer is whole: libcurl closes its connection.
    release(*job);
    if (job->draining) {
        qCDebug(lcDownload) << "download of" << addressForLog(job->url)
                            << "too long or too slow to keep its connection";
    } else if (!quietly) {
        qCInfo(lcDownload) << "download of" << addressForLog(job->url) << "cancelled after" << job->body.size()
                           << "bytes";
    }
    if (job->finished) {
        DownloadResult cancelled;
        cancelled.responded = status != 0;
        cancelled.status = int(status);
        cancelled.cancelled = true;
        job->finished(std::move(cancelled));
    }
}

void HttpPool::Private::complete(Ticket ticket, CURLcode rc)
{
    const auto it = active.find(ticket);
    if (it == active.end()) {
        return;
    }
    std::unique_ptr<Job> job = std::move(it->second);
    active.erase(it);
    if (job->draining) {
        if (rc == CURLE_OK) {
            ++kept;
            qCDebug(lcDownload) << "download of" << addressForLog(job->url) << "read to its end; connection kept";
        }
        release(*job);
        return;
    }
    DownloadResult done = result(*job, rc);
    release(*job);
    job->finished(std::move(done));
}

DownloadResult HttpPool::Private::result(Job &job, CURLcode rc) const
{
    DownloadResult result;
    long status = 0;
    curl_easy_getinfo(job.easy, CURLINFO_RESPONSE_CODE, &status);
    result.responded = status != 0;
    result.status = int(status);

    if (rc == CURLE_ABORTED_BY_CALLBACK || cancelRequested(job)) {
        qCInfo(lcDownload) << "download of" << addressForLog(job.url) << "cancelled after" << job.body.size()
                           << "bytes";
        result.cancelled = true;
        return result;
    }
    if (job.overCap) {
        qCWarning(lcDownload) << "body of" << addressForLog(job.url) << "exceeds" << job.cap
                              << "bytes; download dropped";
        result.failure = QStringLiteral("la pagina supera %1 MiB").arg(job.cap / (1024 * 1024));
        return result;
    }
    if (rc != CURLE_OK) {
        // The bytes that did arrive are handed back, but a broken transfer is never a page.
        qCWarning(lcDownload) << "download of" << addressForLog(job.url) << "failed after" << job.body.size()
                              << "bytes:" << curl_easy_strerror(rc);
        result.failure = failureText(rc);
        result.connectionFailed = connectionBroke(rc);
    } else if (status >= 400) {
        qCDebug(lcDownload) << addressForLog(job.url) << "answered" << status;
    }
    result.body = std::move(job.body);
    return result;
}
