#include "viewer/DownloadUrl.h"

#include "viewer/ViewerLog.h"

#include <curl/curl.h>

namespace
{

struct Transfer {
    QByteArray body;
    qint64 cap = 0;
    bool overCap = false;
    const std::atomic<bool> *cancel = nullptr;
};

bool cancelRequested(const Transfer &transfer)
{
    return transfer.cancel && transfer.cancel->load(std::memory_order_acquire);
}

int checkCancel(void *userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    // Non-zero stops the transfer there and then.
    return cancelRequested(*static_cast<Transfer *>(userData)) ? 1 : 0;
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

size_t appendChunk(char *data, size_t size, size_t count, void *userData)
{
    auto *transfer = static_cast<Transfer *>(userData);
    const size_t bytes = size * count;
    if (transfer->body.size() + qint64(bytes) > transfer->cap) {
        transfer->overCap = true;
        return 0; // makes libcurl stop with a write error
    }
    transfer->body.append(data, qsizetype(bytes));
    return bytes;
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

struct Downloader::Private {
    DownloadLimits limits;
    CURL *handle = nullptr;
    // The transfers run through a multi handle of their own: it keeps the connection between
    // them, and a waiting transfer can be woken to notice that it was cancelled.
    CURLM *multi = nullptr;

    CURLcode perform(const Transfer &transfer);
};

CURLcode Downloader::Private::perform(const Transfer &transfer)
{
    if (curl_multi_add_handle(multi, handle) != CURLM_OK) {
        return CURLE_FAILED_INIT;
    }
    CURLcode rc = CURLE_OK;
    bool done = false;
    while (!done) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            rc = CURLE_FAILED_INIT;
            break;
        }
        int queued = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                rc = message->data.result;
                done = true;
            }
        }
        if (done || running == 0) {
            break;
        }
        if (cancelRequested(transfer)) {
            rc = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        // Waits for the socket, a time-out of libcurl's, or wakeUp().
        if (curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK) {
            rc = CURLE_FAILED_INIT;
            break;
        }
    }
    curl_multi_remove_handle(multi, handle);
    return rc;
}

Downloader::Downloader(DownloadLimits limits) : d(std::make_unique<Private>())
{
    initialiseCurlOnce();
    d->limits = limits;
    d->handle = curl_easy_init();
    d->multi = curl_multi_init();
    if (!d->handle || !d->multi) {
        qCCritical(lcDownload) << "cannot create a libcurl handle; every page will count as missing";
        return;
    }
    CURL *h = d->handle;
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
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, appendChunk);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, checkCancel);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
}

Downloader::~Downloader()
{
    if (d->handle) {
        curl_easy_cleanup(d->handle);
    }
    if (d->multi) {
        curl_multi_cleanup(d->multi);
    }
}

void Downloader::wakeUp()
{
    if (d->multi) {
        curl_multi_wakeup(d->multi);
    }
}

DownloadResult Downloader::get(const QByteArray &url, const std::atomic<bool> *cancel)
{
    DownloadResult result;
    if (!d->handle || !d->multi) {
        result.failure = QStringLiteral("errore interno del programma");
        return result;
    }
    Transfer transfer;
    transfer.cap = d->limits.maxBodyBytes;
    transfer.cancel = cancel;
    curl_easy_setopt(d->handle, CURLOPT_URL, url.constData());
    curl_easy_setopt(d->handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(d->handle, CURLOPT_XFERINFODATA, &transfer);
    const CURLcode rc = d->perform(transfer);
    curl_easy_setopt(d->handle, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(d->handle, CURLOPT_XFERINFODATA, nullptr);

    long status = 0;
    curl_easy_getinfo(d->handle, CURLINFO_RESPONSE_CODE, &status);
    result.responded = status != 0;
    result.status = int(status);

    if (rc == CURLE_ABORTED_BY_CALLBACK || cancelRequested(transfer)) {
        qCInfo(lcDownload) << "download of" << addressForLog(url) << "cancelled after" << transfer.body.size() << "bytes";
        result.cancelled = true;
        return result;
    }
    if (transfer.overCap) {
        qCWarning(lcDownload) << "body of" << addressForLog(url) << "exceeds" << transfer.cap << "bytes; download dropped";
        result.failure = QStringLiteral("la pagina supera %1 MiB").arg(transfer.cap / (1024 * 1024));
        return result;
    }
    if (rc != CURLE_OK) {
        // The bytes that did arrive are handed back, but a broken transfer is never a page.
        qCWarning(lcDownload) << "download of" << addressForLog(url) << "failed after" << transfer.body.size()
                              << "bytes:" << curl_easy_strerror(rc);
        result.failure = failureText(rc);
    } else if (status >= 400) {
        qCDebug(lcDownload) << addressForLog(url) << "answered" << status;
    }
    result.body = std::move(transfer.body);
    return result;
}

Downloader &Downloader::shared()
{
    static Downloader instance;
    return instance;
}

DownloadResult DownloadUrl(const QByteArray &url)
{
    return Downloader::shared().get(url);
}
