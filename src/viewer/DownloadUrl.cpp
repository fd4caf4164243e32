#include "viewer/DownloadUrl.h"

#include "viewer/HttpPool.h"

#include <condition_variable>
#include <mutex>

struct Downloader::Private {
    explicit Private(DownloadLimits limits) : pool(limits) {}
    HttpPool pool;
};

Downloader::Downloader(DownloadLimits limits) : d(std::make_unique<Private>(limits)) {}

Downloader::~Downloader() = default;

void Downloader::wakeUp()
{
    d->pool.wakeUp();
}

HttpPool &Downloader::pool()
{
    return d->pool;
}

DownloadResult Downloader::get(const QByteArray &url, const std::atomic<bool> *cancel)
{
    struct Wait {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
        DownloadResult result;
    };
    auto wait = std::make_shared<Wait>();
    d->pool.start(
        url,
        [wait](DownloadResult result) {
            {
                const std::lock_guard lock(wait->mutex);
                wait->result = std::move(result);
                wait->done = true;
            }
            wait->ended.notify_all();
        },
        cancel);
    std::unique_lock lock(wait->mutex);
    wait->ended.wait(lock, [&] { return wait->done; });
    return std::move(wait->result);
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
