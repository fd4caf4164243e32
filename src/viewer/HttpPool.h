#pragma once

#include "viewer/DownloadUrl.h"

#include <QByteArray>

#include <atomic>
#include <functional>
#include <memory>

// The program's connections to the teletext server and every transfer over them, driven by one
// thread of its own through libcurl's multi interface. Transfers may be asked for from any thread
// and run side by side; whatever is asked for, a host never gets more than six connections from
// us (idle kept ones included), and a transfer that finds them all busy waits for one. Connections
// outlive their transfers, so the next one to the same server starts without a handshake.
class HttpPool
{
public:
    static constexpr long kMaxConnectionsPerHost = 6;

    using Ticket = quint64;
    // Runs on the pool's thread, exactly once per transfer, when it ends or is stopped.
    using Finished = std::function<void(DownloadResult)>;

    enum class Stop {
        // Abandon the transfer at once; a connection still waiting for its answer is closed.
        Now,
        // Nobody wants the answer any more, but the connection is worth keeping: the rest of the
        // answer is read and thrown away if it is short and comes soon; otherwise the connection
        // is closed as with Now.
        KeepConnection,
    };

    explicit HttpPool(DownloadLimits limits = {});
    ~HttpPool(); // abandons every transfer (their Finished run, cancelled) and joins the thread
    HttpPool(const HttpPool &) = delete;
    HttpPool &operator=(const HttpPool &) = delete;

    // GETs `url`. When `cancel` turns true the transfer stops as with Stop::Now (call wakeUp()
    // after setting it). Any thread.
    Ticket start(const QByteArray &url, Finished finished, const std::atomic<bool> *cancel = nullptr);
    // Ends a transfer under way: its Finished runs with `cancelled` set, unless it has run
    // already. Any thread.
    void stop(Ticket ticket, Stop how);
    // Makes the pool look at the cancel flags now. Any thread.
    void wakeUp();

    // How many connections the pool has opened so far, and how many stopped transfers gave
    // their connection back for the next one rather than have it closed.
    long connectionsOpened() const;
    long connectionsKeptAfterStop() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
