#pragma once

#include "viewer/DownloadUrl.h"

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Runs the downloads of one window on a thread of their own, one at a time, through the
// program's client (so the kept connection stays kept), while the window's thread goes on
// painting and answering the window manager.
class DownloadThread
{
public:
    using Finished = std::function<void(DownloadResult)>;

    explicit DownloadThread(Downloader &downloader);
    ~DownloadThread(); // cancels a download under way and waits for the thread
    DownloadThread(const DownloadThread &) = delete;
    DownloadThread &operator=(const DownloadThread &) = delete;

    // Downloads `url` after those already asked for; `finished` runs on the download thread when
    // it ends. (A load nested in the wait for another queues behind it.)
    void start(const QByteArray &url, Finished finished);
    // Stops the downloads under way and queued at once; their results say they were cancelled.
    // Any thread.
    void cancel();

private:
    struct Job {
        QByteArray url;
        Finished finished;
    };
    void run();

    Downloader &m_downloader;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    std::atomic<bool> m_cancel{false};
    std::thread m_thread;
};
