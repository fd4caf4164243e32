#pragma once

#include "viewer/DownloadUrl.h"

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Runs the downloads of one window away from its thread, through the program's client (so the
// kept connections stay kept), while the window's thread goes on painting and answering the
// window manager.
class DownloadThread
{
public:
    using Finished = std::function<void(DownloadResult)>;

    explicit DownloadThread(Downloader &downloader);
    ~DownloadThread(); // cancels the downloads under way and waits for them to end
    DownloadThread(const DownloadThread &) = delete;
    DownloadThread &operator=(const DownloadThread &) = delete;

    // Downloads `url`; `finished` runs on another thread when it ends. (A load nested in the wait
    // for another has its download run alongside.)
    void start(const QByteArray &url, Finished finished);
    // Stops the downloads under way at once; their results say they were cancelled. Any thread.
    void cancel();

private:
    Downloader &m_downloader;
    std::mutex m_mutex;
    std::condition_variable m_ended;
    // One flag for each download under way, so that a cancel is never undone by a later start.
    std::vector<std::shared_ptr<std::atomic<bool>>> m_cancels;
};
