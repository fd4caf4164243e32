#include "RawConnection.h"

#include <QDeadlineTimer>
#include <QList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

RawConnection::RawConnection(quint16 port)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        return;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

RawConnection::~RawConnection()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool RawConnection::send(QByteArrayView data)
{
    qsizetype sent = 0;
    while (m_fd >= 0 && sent < data.size()) {
        const ssize_t n = ::send(m_fd, data.data() + sent, static_cast<size_t>(data.size() - sent), MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += n;
    }
    return m_fd >= 0;
}

bool RawConnection::fill(int boundMs)
{
    pollfd waiting{m_fd, POLLIN, 0};
    if (m_fd < 0 || ::poll(&waiting, 1, boundMs) <= 0) {
        return false;
    }
    char chunk[16384];
    const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
    if (n <= 0) {
        return false;
    }
    m_buffer.append(chunk, n);
    return true;
}

std::optional<RawConnection::Response> RawConnection::readResponse(int boundMs, bool toHead)
{
    const QDeadlineTimer deadline(boundMs);
    qsizetype end = -1;
    while ((end = m_buffer.indexOf("\r\n\r\n")) < 0) {
        if (!fill(static_cast<int>(deadline.remainingTime()))) {
            return std::nullopt;
        }
    }
    Response response;
    response.headers = m_buffer.left(end);
    const QList<QByteArray> statusLine = response.headers.left(response.headers.indexOf("\r\n")).split(' ');
    response.status = statusLine.size() >= 2 ? statusLine.at(1).toInt() : 0;
    const qsizetype length = toHead ? 0 : response.header("Content-Length").toLongLong();
    while (m_buffer.size() < end + 4 + length) {
        if (!fill(static_cast<int>(deadline.remainingTime()))) {
            return std::nullopt;
        }
    }
    response.body = m_buffer.mid(end + 4, length);
    m_buffer.remove(0, end + 4 + length);
    return response;
}

bool RawConnection::waitForClose(int boundMs)
{
    const QDeadlineTimer deadline(boundMs);
    while (!deadline.hasExpired()) {
        pollfd waiting{m_fd, POLLIN, 0};
        if (::poll(&waiting, 1, static_cast<int>(deadline.remainingTime())) <= 0) {
            return false;
        }
        char chunk[4096];
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (n <= 0) {
            return true;
        }
    }
    return false;
}

QByteArray RawConnection::Response::header(QByteArrayView name) const
{
    for (const QByteArray &line : headers.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
            return line.mid(colon + 1).trimmed();
        }
    }
    return {};
}
