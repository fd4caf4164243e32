#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>

struct DownloadResult {
    QByteArray body;        // exactly the bytes the server sent, possibly empty
    bool responded = false; // an HTTP response arrived (any status); false: the server was not reached
    int status = 0;         // the HTTP status of the last response, 0 when none arrived
    bool cancelled = false; // stopped on request before it ended
    // Why the transfer failed, in the user's words (Italian); empty when it ended normally. A
    // failed transfer may still hand back the bytes that came before the failure.
    QString failure;
    // The failure was the connection's: refused, reset, or closed before the answer was whole.
    bool connectionFailed = false;
};

struct DownloadLimits {
    std::chrono::milliseconds connectTimeout{10'000};
    std::chrono::seconds stallTimeout{15}; // abort when no byte arrives for this long
    std::chrono::milliseconds totalTimeout{30'000};
    qint64 maxBodyBytes = 4 * 1024 * 1024; // real pages are tens of KiB
    long maxRedirects = 5;
    bool reuseConnections = true; // off only to measure what the kept connection saves
};

class HttpPool;

// One HTTP client for the program's whole life, so that page after page travels over the same
// kept connections. get() may be called from any thread; its transfers and those started on
// pool() share the same connections, at most six to a server.
class Downloader
{
public:
    explicit Downloader(DownloadLimits limits = {});
    ~Downloader();
    Downloader(const Downloader &) = delete;
    Downloader &operator=(const Downloader &) = delete;

    // GET the address and return the body whatever the status. A body that grows past the cap
    // counts as a failed download and comes back empty; so does one cut short by a time-out, a
    // reset or too many redirects, with the reason in `failure`. When `cancel` turns true the transfer
    // stops at once (call wakeUp() after setting it) and the result says it was cancelled.
    DownloadResult get(const QByteArray &url, const std::atomic<bool> *cancel = nullptr);
    // Makes a transfer under way on another thread look at its cancel flag now. Thread-safe.
    void wakeUp();
    // For several transfers at once over the same connections.
    HttpPool &pool();

    // The instance the program uses.
    static Downloader &shared();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Fetch one page image address through the program's shared client.
DownloadResult DownloadUrl(const QByteArray &url);
