#include "HttpFixture.h"

#include <QStringList>

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

HttpFixture::HttpFixture() : m_server(std::make_unique<httplib::Server>())
{
    m_server->Get(".*",
                  [this](const httplib::Request &request, httplib::Response &response) { answer(request, response); });
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0) {
        throw std::runtime_error("cannot bind a loopback port");
    }
    m_thread = std::make_unique<std::thread>([this] { m_server->listen_after_bind(); });
    // Stopping a server that has not entered its loop yet would leave the thread running forever.
    for (int i = 0; i < 5000 && !m_server->is_running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!m_server->is_running()) {
        throw std::runtime_error("the fixture server did not start");
    }
}

HttpFixture::~HttpFixture()
{
    m_server->stop();
    m_thread->join();
}

QString HttpFixture::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

QByteArray HttpFixture::url(const QString &path) const
{
    return (baseUrl() + path).toUtf8();
}

void HttpFixture::serve(const QString &path, const QByteArray &body, int status)
{
    std::lock_guard lock(m_mutex);
    m_routes.insert(path, Route{body, status, {}});
}

void HttpFixture::remove(const QString &path)
{
    std::lock_guard lock(m_mutex);
    m_routes.remove(path);
}

void HttpFixture::handle(const QString &path, Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_routes.insert(path, Route{{}, 200, std::move(handler)});
}

QByteArray HttpFixture::notFoundBody()
{
    return QByteArrayLiteral("<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1></body></html>");
}

void HttpFixture::answer(const httplib::Request &request, httplib::Response &response)
{
    Route route;
    bool known = false;
    {
        std::lock_guard lock(m_mutex);
        Request seen;
        seen.path = QString::fromStdString(request.path);
        seen.target = QByteArray::fromStdString(request.target);
        seen.userAgent = QByteArray::fromStdString(request.get_header_value("User-Agent"));
        seen.hadAcceptEncoding = request.has_header("Accept-Encoding");
        seen.acceptEncoding = QByteArray::fromStdString(request.get_header_value("Accept-Encoding"));
        seen.remotePort = request.remote_port;
        m_requests.append(seen);
        const auto it = m_routes.constFind(seen.path);
        if (it != m_routes.constEnd()) {
            route = *it;
            known = true;
        }
    }
    if (!known) {
        response.status = 404;
        response.set_content(notFoundBody().toStdString(), "text/html");
        return;
    }
    if (route.handler) {
        route.handler(request, response);
        return;
    }
    response.status = route.status;
    response.set_content(route.body.toStdString(), "image/png");
}

QList<HttpFixture::Request> HttpFixture::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

QStringList HttpFixture::requestedPaths() const
{
    QStringList paths;
    for (const Request &request : requests()) {
        paths << request.path;
    }
    return paths;
}

void HttpFixture::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

RawTcpServer::RawTcpServer(Session session) : m_session(std::move(session))
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 4) != 0) {
        throw std::runtime_error("cannot listen on loopback");
    }
    socklen_t length = sizeof address;
    ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::make_unique<std::thread>([this] {
        for (;;) {
            const int connection = ::accept(m_listener, nullptr, nullptr);
            if (connection < 0) {
                return; // listener shut down
            }
            m_session(connection);
        }
    });
}

RawTcpServer::~RawTcpServer()
{
    ::shutdown(m_listener, SHUT_RDWR);
    ::close(m_listener);
    m_thread->join();
}

QByteArray RawTcpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path).toUtf8();
}

void resetConnection(int socket)
{
    linger hard{1, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(socket);
}

QByteArray readRequestHead(int socket)
{
    QByteArray head;
    char c = 0;
    while (!head.endsWith("\r\n\r\n") && ::read(socket, &c, 1) == 1) {
        head.append(c);
    }
    return head;
}
