#pragma once

#include "HttpFixture.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>

// Paths of an HttpFixture that answer late, like a server far away: the head of the answer goes
// out at once, the body after the path's own delay, or only once released. Counts the answers
// under way at once and the clients that hung up on one. The answers share its counters, so it may
// be dropped before the fixture's last answer has gone out.
class SlowPages
{
public:
    static constexpr std::chrono::milliseconds kHeld{-1};

    explicit SlowPages(HttpFixture &server);
    ~SlowPages(); // releases every held answer

    // `path` answers `body` with `status` after `delay`; kHeld waits for release() (20 s at most).
    void add(const QString &path, std::chrono::milliseconds delay, const QByteArray &body = HttpFixture::notFoundBody(),
             int status = 404);
    void release();

    int answering() const { return m_state->answering; }
    int mostAtOnce() const { return m_state->mostAtOnce; }
    int clientsLeft() const { return m_state->clientsLeft; }

private:
    struct State {
        std::atomic<bool> released{false};
        std::atomic<int> answering{0};
        std::atomic<int> mostAtOnce{0};
        std::atomic<int> clientsLeft{0};
    };
    HttpFixture &m_server;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};
