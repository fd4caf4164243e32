#include "viewer/DownloadThread.h"

DownloadThread::DownloadThread(Downloader &downloader) : m_downloader(downloader), m_thread([this] { run(); }) {}

DownloadThread::~DownloadThread()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    cancel();
    m_wake.notify_all();
    m_thread.join();
}

void DownloadThread::start(const QByteArray &url, Finished finished)
{
    {
        const std::lock_guard lock(m_mutex);
        // Cleared here, not on the thread: a cancel right after start must not be lost.
        m_cancel.store(false, std::memory_order_release);
        m_jobs.push_back(Job{url, std::move(finished)});
    }
    m_wake.notify_all();
}

void DownloadThread::cancel()
{
    m_cancel.store(true, std::memory_order_release);
    m_downloader.wakeUp();
}

void DownloadThread::run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty()) {
                return;
            }
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job.finished(m_downloader.get(job.url, &m_cancel));
    }
}
