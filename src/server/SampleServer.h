#pragma once

#include <QString>

#include <memory>

struct SampleServerOptions {
    QString listen = QStringLiteral("127.0.0.1");
    quint16 port = 0;         // 0: the kernel chooses
    bool fixedTime = false;   // identical bytes on every run (clock frozen at Catalogue::fixedTime())
    QString root;             // non-empty: serve this folder laid out like the real server instead
    int latencyMs = 0;        // delay before each response
    QString accessLog;        // non-empty: append one line per request to this file
    int keepAliveSeconds = 5; // how long an idle connection is kept open for its next request
};

// The sample teletext web server: answers GET and HEAD for the page images of every edition
// (Catalogue), or for the files under `root`, over HTTP/1.1 with keep-alive, on a fixed pool of
// worker threads.
//
// The access log has one line per response, fields separated by single spaces:
//     2024-03-15T12:00:00.123 3 GET /pagiscopo/pub/tt4web/Nazionale/page-100.png 200 12345 "VB_APP"
// local time with milliseconds, connection number (counted from 1 in accept order, so requests
// that share a number came over one kept-alive connection), method, request target as sent,
// status, body bytes sent (0 for HEAD), and the user agent in double quotes. Fields the request
// did not carry are "-"; bytes outside printable ASCII, spaces, '"' and '\' are written as \xHH.
//
// Not copyable; one start() per object. Safe to use from a QApplication's main thread: all
// serving happens on threads of its own, and stop() (or the destructor) ends and joins them,
// closing idle kept-alive connections rather than waiting for them to time out.
class SampleServer
{
public:
    explicit SampleServer(SampleServerOptions options = {});
    ~SampleServer();
    SampleServer(const SampleServer &) = delete;
    SampleServer &operator=(const SampleServer &) = delete;

    // Binds and starts serving on background threads; returns once connections are being accepted.
    // On failure returns false with a one-line reason in *error; with no `error` to fill, the reason
    // goes to the log instead.
    bool start(QString *error);
    void stop();

    quint16 port() const;
    // "http://127.0.0.1:PORT": the address a client on this machine uses, also when listening on
    // a wildcard address.
    QString baseUrl() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};
