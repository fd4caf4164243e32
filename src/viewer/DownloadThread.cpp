#include "viewer/DownloadThread.h"

#include "viewer/HttpPool.h"

#include <algorithm>

DownloadThread::DownloadThread(Downloader &downloader) : m_downloader(downloader) {}

DownloadThread::~DownloadThread()
{
    cancel();
    // The pool still holds each download's flag and callback until it has ended.
    std::unique_lock lock(m_mutex);
    m_ended.wait(lock, [this] { return m_cancels.empty(); });
}

void DownloadThread::start(const QByteArray &url, Finished finished)
{
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    {
        const std::lock_guard lock(m_mutex);
        m_cancels.push_back(cancelled);
    }
    // Straight to the pool's thread: no hop through a thread of our own on the way.
    m_downloader.pool().start(
        url,
        [this, cancelled, finished = std::move(finished)](DownloadResult result) {
            finished(std::move(result));
            // Told under the lock: once it is released the destructor may run.
            const std::lock_guard lock(m_mutex);
            m_cancels.erase(std::find(m_cancels.begin(), m_cancels.end(), cancelled));
            m_ended.notify_all();
        },
        cancelled.get());
}

void DownloadThread::cancel()
{
    {
        const std::lock_guard lock(m_mutex);
        for (const auto &cancelled : m_cancels) {
            cancelled->store(true, std::memory_order_release);
        }
    }
    m_downloader.wakeUp();
}
