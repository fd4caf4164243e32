#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// A plain loopback TCP connection for requests that a well-behaved HTTP client will not send
// (malformed lines, dot segments, raw escapes), and for watching a connection being closed.
class RawConnection
{
public:
    explicit RawConnection(quint16 port);
    ~RawConnection();
    RawConnection(const RawConnection &) = delete;
    RawConnection &operator=(const RawConnection &) = delete;

    bool isConnected() const { return m_fd >= 0; }
    bool send(QByteArrayView data);

    struct Response {
        int status = 0;
        QByteArray headers; // everything before the blank line
        QByteArray body;
        QByteArray header(QByteArrayView name) const;
    };
    // Reads one response with a Content-Length body (none for an answer to HEAD); nothing when the
    // connection closes first or nothing arrives within the bound.
    std::optional<Response> readResponse(int boundMs = 10000, bool toHead = false);
    // Whether the other end closes the connection within the bound.
    bool waitForClose(int boundMs = 10000);

private:
    bool fill(int boundMs);

    int m_fd = -1;
    QByteArray m_buffer;
};
