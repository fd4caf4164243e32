#include "viewer/DownloadUrl.h"

#include "viewer/ViewerLog.h"

#include <curl/curl.h>

namespace
{

struct Transfer {
    QByteArray body;
    qint64 cap = 0;
    bool overCap = false;
};

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
};

Downloader::Downloader(DownloadLimits limits) : d(std::make_unique<Private>())
{
    initialiseCurlOnce();
    d->limits = limits;
    d->handle = curl_easy_init();
    if (!d->handle) {
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
}

Downloader::~Downloader()
{
    if (d->handle) {
        curl_easy_cleanup(d->handle);
    }
}

DownloadResult Downloader::get(const QByteArray &url)
{
    DownloadResult result;
    if (!d->handle) {
        return result;
    }
    Transfer transfer;
    transfer.cap = d->limits.maxBodyBytes;
    curl_easy_setopt(d->handle, CURLOPT_URL, url.constData());
    curl_easy_setopt(d->handle, CURLOPT_WRITEDATA, &transfer);
    const CURLcode rc = curl_easy_perform(d->handle);
    curl_easy_setopt(d->handle, CURLOPT_WRITEDATA, nullptr);

    long status = 0;
    curl_easy_getinfo(d->handle, CURLINFO_RESPONSE_CODE, &status);
    result.responded = status != 0;

    if (transfer.overCap) {
        qCWarning(lcDownload) << "body of" << url << "exceeds" << transfer.cap << "bytes; download dropped";
        return result;
    }
    if (rc != CURLE_OK) {
        // Whatever arrived before the failure is kept: the page loader judges it by its size.
        qCWarning(lcDownload) << "download of" << url << "failed after" << transfer.body.size()
                              << "bytes:" << curl_easy_strerror(rc);
    } else if (status >= 400) {
        qCDebug(lcDownload) << url << "answered" << status;
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
