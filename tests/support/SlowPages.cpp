#include "SlowPages.h"

#include <httplib.h>

#include <thread>

using namespace std::chrono_literals;

SlowPages::SlowPages(HttpFixture &server) : m_server(server) {}

SlowPages::~SlowPages()
{
    release();
}

void SlowPages::release()
{
    m_state->released = true;
}

void SlowPages::add(const QString &path, std::chrono::milliseconds delay, const QByteArray &body, int status)
{
    std::shared_ptr<State> state = m_state;
    const std::string bytes = body.toStdString();
    m_server.handle(path, [state, delay, bytes, status](const httplib::Request &, httplib::Response &response) {
        const int now = ++state->answering;
        for (int most = state->mostAtOnce; now > most && !state->mostAtOnce.compare_exchange_weak(most, now);) {
        }
        response.status = status;
        response.set_content_provider(
            bytes.size(), "image/png",
            [state, delay, bytes](size_t, size_t, httplib::DataSink &sink) {
                const auto start = std::chrono::steady_clock::now();
                const auto until = start + (delay < 0ms ? std::chrono::milliseconds(20s) : delay);
                while (std::chrono::steady_clock::now() < until && !(delay < 0ms && state->released)) {
                    if (!sink.is_writable()) {
                        ++state->clientsLeft;
                        return false;
                    }
                    std::this_thread::sleep_for(2ms);
                }
                sink.write(bytes.data(), bytes.size());
                return true;
            },
            [state](bool) { --state->answering; });
    });
}
