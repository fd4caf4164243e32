#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace httplib
{
struct Request;
struct Response;
class Server;
} // namespace httplib

// A real HTTP/1.1 server on a loopback port chosen by the kernel, running on its own thread, for
// tests of the code that talks to it. Paths answer from a table; anything else is a short 404.
class HttpFixture
{
public:
    struct Request {
        QString path;      // decoded, as the server routes it
        QByteArray target; // exactly as sent on the wire
        QByteArray userAgent;
        QByteArray acceptEncoding;
        bool hadAcceptEncoding = false;
        int remotePort = 0; // tells whether requests shared a connection
    };
    using Handler = std::function<void(const httplib::Request &, httplib::Response &)>;

    HttpFixture();
    ~HttpFixture();

    QString baseUrl() const; // http://127.0.0.1:PORT
    QByteArray url(const QString &path) const;
    int port() const { return m_port; }

    // Serve `body` with `status` at `path` (content type image/png).
    void serve(const QString &path, const QByteArray &body, int status = 200);
    void remove(const QString &path);
    // Full control over one path.
    void handle(const QString &path, Handler handler);

    QList<Request> requests() const;
    QStringList requestedPaths() const;
    void clearRequests();

    static QByteArray notFoundBody();

private:
    struct Route {
        QByteArray body;
        int status = 200;
        Handler handler;
    };
    void answer(const httplib::Request &request, httplib::Response &response);

    std::unique_ptr<httplib::Server> m_server;
    std::unique_ptr<std::thread> m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    QMap<QString, Route> m_routes;
    QList<Request> m_requests;
};

// A TCP server that hands each accepted connection to a function, for misbehaviour that no HTTP
// library will produce on purpose (a connection reset in the middle of a body).
class RawTcpServer
{
public:
    using Session = std::function<void(int socket)>;
    explicit RawTcpServer(Session session);
    ~RawTcpServer();
    int port() const { return m_port; }
    QByteArray url(const QString &path) const;

private:
    int m_listener = -1;
    int m_port = 0;
    Session m_session;
    std::unique_ptr<std::thread> m_thread;
};

// Closes a socket with a TCP reset instead of an orderly shutdown.
void resetConnection(int socket);
// Reads the request head from a socket (up to the blank line), so a raw server can answer it.
QByteArray readRequestHead(int socket);
