#pragma once

#include <QByteArray>

#include <chrono>
#include <memory>

struct DownloadResult {
    QByteArray body;        // exactly the bytes the server sent, possibly empty
    bool responded = false; // an HTTP response arrived (any status); false: the server was not reached
};

struct DownloadLimits {
    std::chrono::milliseconds connectTimeout{10'000};
    std::chrono::seconds stallTimeout{15}; // abort when no byte arrives for this long
    std::chrono::milliseconds totalTimeout{30'000};
    qint64 maxBodyBytes = 4 * 1024 * 1024; // real pages are tens of KiB
    long maxRedirects = 5;
    bool reuseConnections = true; // off only to measure what the kept connection saves
};

// One HTTP client for the program's whole life, so that page after page travels over the same
// kept connection. Not thread-safe: it belongs to the thread that uses it.
class Downloader
{
public:
    explicit Downloader(DownloadLimits limits = {});
    ~Downloader();
    Downloader(const Downloader &) = delete;
    Downloader &operator=(const Downloader &) = delete;

    // GET the address and return the body whatever the status. A body that grows past the cap
    // counts as a failed download and comes back empty.
    DownloadResult get(const QByteArray &url);

    // The instance the program uses.
    static Downloader &shared();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Fetch one page image address through the program's shared client.
DownloadResult DownloadUrl(const QByteArray &url);
