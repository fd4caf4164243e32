#include "SampleServer.h"

#include "Catalogue.h"
#include "ServerLogging.h"

#include <httplib.h>

#include <QCache>
#include <QDateTime>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Enough for a handful of viewers and a benchmark's clients; a connection beyond that waits for a
// free worker instead of costing a thread.
constexpr std::size_t WorkerThreads = 8;
// Clients such as a page search send many requests in a row; a low cap would make them reconnect.
constexpr std::size_t KeepAliveRequests = 1000;
// Nothing served here takes a request body.
constexpr std::size_t MaxRequestBody = 64 * 1024;
constexpr qint64 CacheBytes = 8 * 1024 * 1024;
constexpr std::size_t FileChunk = 16 * 1024;

// Set for the worker thread while it serves one connection, so log lines can name the connection.
thread_local quint64 t_connection = 0;

// httplib hands every accepted connection to the task queue as one task, so numbering the tasks
// numbers the connections.
class CountingThreadPool final : public httplib::TaskQueue
{
public:
    CountingThreadPool(std::size_t threads, std::atomic<quint64> &counter) : m_pool(threads), m_counter(counter) {}

    void enqueue(std::function<void()> fn) override
    {
        const quint64 id = ++m_counter;
        m_pool.enqueue([id, fn = std::move(fn)] {
            t_connection = id;
            fn();
            t_connection = 0;
        });
    }
    void shutdown() override { m_pool.shutdown(); }

private:
    httplib::ThreadPool m_pool;
    std::atomic<quint64> &m_counter;
};

struct FileHandle {
    explicit FileHandle(int descriptor) : fd(descriptor) {}
    ~FileHandle() { ::close(fd); }
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    int fd;
};

const char *reasonPhrase(int status)
{
    switch (status) {
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Payload Too Large";
    case 414:
        return "URI Too Long";
    case 500:
        return "Internal Server Error";
    default:
        return "Error";
    }
}

const char *explanation(int status)
{
    switch (status) {
    case 400:
        return "The server could not understand the request.";
    case 404:
        return "The requested address was not found on this server.";
    case 405:
        return "The method is not allowed for this address.";
    case 413:
        return "The request is too large.";
    case 414:
        return "The requested address is too long.";
    default:
        return "The server could not complete the request.";
    }
}

// Short on purpose, like a stock web server's: the viewer takes anything this small as no page.
std::string errorDocument(int status)
{
    const std::string title = std::to_string(status) + ' ' + reasonPhrase(status);
    return "<!DOCTYPE html>\n<html><head><title>" + title + "</title></head>\n<body><h1>" + reasonPhrase(status) +
           "</h1>\n<p>" + explanation(status) + "</p>\n<hr><address>pagiscopo-server</address></body></html>\n";
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isControl(unsigned char c)
{
    return c < 0x20 || c == 0x7f;
}

// Splits an origin-form path at '/' and percent-decodes each segment. Refuses malformed escapes,
// control characters, and segments that are "." or ".." or hide a '/' or NUL after decoding: none
// of them has a place in a page address, and in a folder they are the ways out of it.
std::optional<std::vector<std::string>> decodeSegments(std::string_view path)
{
    std::vector<std::string> segments(1);
    for (std::size_t i = 1; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '/') {
            segments.emplace_back();
            continue;
        }
        if (isControl(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        if (c != '%') {
            segments.back().push_back(c);
            continue;
        }
        if (i + 2 >= path.size()) {
            return std::nullopt;
        }
        const int high = hexValue(path[i + 1]);
        const int low = hexValue(path[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        const auto decoded = static_cast<unsigned char>(high * 16 + low);
        if (decoded == '/' || isControl(decoded)) {
            return std::nullopt;
        }
        segments.back().push_back(static_cast<char>(decoded));
        i += 2;
    }
    for (const std::string &segment : segments) {
        if (segment == "." || segment == "..") {
            return std::nullopt;
        }
    }
    return segments;
}

// Bytes a log reader could trip over (spaces, quotes, control and non-ASCII bytes) become \xHH.
std::string logField(std::string_view value)
{
    if (value.empty()) {
        return "-";
    }
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7f || c == '"' || c == '\\') {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string mimeType(std::string_view name)
{
    const auto endsWith = [name](std::string_view suffix) {
        return name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
    };
    if (endsWith(".png")) {
        return "image/png";
    }
    if (endsWith(".html") || endsWith(".htm")) {
        return "text/html; charset=utf-8";
    }
    if (endsWith(".txt")) {
        return "text/plain; charset=utf-8";
    }
    return "application/octet-stream";
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

class SampleServer::Impl
{
public:
    explicit Impl(SampleServerOptions opts) : options(std::move(opts)) {}
    ~Impl()
    {
        if (accessLog) {
            std::fclose(accessLog);
        }
    }

    bool start(QString *error);
    void stop();

    void handle(const httplib::Request &request, httplib::Response &response);
    void servePage(const std::string &path, httplib::Response &response);
    void serveFile(const std::vector<std::string> &segments, httplib::Response &response);
    QByteArray page(const Catalogue::PageAddress &address);
    void logResponse(const httplib::Request &request, const httplib::Response &response);
    void closeConnections() const;

    SampleServerOptions options;
    httplib::Server server;
    std::thread listener;
    bool started = false;
    std::atomic<bool> stopping{false};
    quint16 port = 0;

    std::mutex readyMutex;
    std::condition_variable readyChanged;
    bool ready = false;

    std::atomic<quint64> connections{0};

    std::mutex cacheMutex;
    QCache<QString, QByteArray> cache{CacheBytes};

    std::mutex logMutex;
    FILE *accessLog = nullptr;

    std::string rootPrefix; // canonical root with a trailing '/'
};

bool SampleServer::Impl::start(QString *error)
{
    // Reported once: to the caller who asked for the reason, or else to the log.
    const auto fail = [error](const QString &reason) {
        if (error) {
            *error = reason;
        } else {
            qCWarning(lcServer).noquote() << reason;
        }
        return false;
    };
    if (started) {
        return fail(QStringLiteral("the server has already been started"));
    }
    started = true;

    if (!options.root.isEmpty()) {
        char resolved[PATH_MAX];
        struct stat info {
        };
        if (!::realpath(QFile::encodeName(options.root).constData(), resolved) || ::stat(resolved, &info) != 0 ||
            !S_ISDIR(info.st_mode)) {
            return fail(QStringLiteral("cannot serve %1: not a folder").arg(options.root));
        }
        rootPrefix = resolved;
        if (rootPrefix.back() != '/') {
            rootPrefix.push_back('/');
        }
    }
    if (!options.accessLog.isEmpty()) {
        accessLog = std::fopen(QFile::encodeName(options.accessLog).constData(), "ae");
        if (!accessLog) {
            return fail(QStringLiteral("cannot open the access log %1: %2").arg(options.accessLog, errnoText(errno)));
        }
    }

    server.set_keep_alive_max_count(KeepAliveRequests);
    server.set_keep_alive_timeout(std::max(1, options.keepAliveSeconds));
    server.set_payload_max_length(MaxRequestBody);
    // Headers and body go out in two writes; without this the body of a small response can wait
    // for the client's delayed acknowledgement.
    server.set_tcp_nodelay(true);
    server.set_default_headers({{"Server", "pagiscopo-server/" PAGISCOPO_VERSION}});
    // httplib's default also sets SO_REUSEPORT, with which a second server binds a port already in
    // use without complaint and the kernel then shares the connections between the two.
    server.set_socket_options([](socket_t socket) {
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });

    server.set_pre_routing_handler([this](const httplib::Request &request, httplib::Response &response) {
        if (options.latencyMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(options.latencyMs));
        }
        if (request.method != "GET" && request.method != "HEAD") {
            // httplib then reads any body, finds no route and answers 404, turned into 405 below.
            return httplib::Server::HandlerResponse::Unhandled;
        }
        handle(request, response);
        return httplib::Server::HandlerResponse::Handled;
    });
    server.set_error_handler([](const httplib::Request &request, httplib::Response &response) {
        if (response.status == 404 && !request.method.empty() && request.method != "GET" && request.method != "HEAD") {
            response.status = 405;
            response.set_header("Allow", "GET, HEAD");
        }
        response.set_content(errorDocument(response.status), "text/html; charset=utf-8");
    });
    server.set_exception_handler(
        [](const httplib::Request &request, httplib::Response &response, std::exception_ptr exception) {
            try {
                std::rethrow_exception(exception);
            } catch (const std::exception &e) {
                qCWarning(lcServer) << "failed to answer" << request.target.c_str() << ":" << e.what();
            } catch (...) {
                qCWarning(lcServer) << "failed to answer" << request.target.c_str();
            }
            response.status = 500;
        });
    server.set_logger(
        [this](const httplib::Request &request, const httplib::Response &response) { logResponse(request, response); });
    server.new_task_queue = [this] {
        auto *pool = new CountingThreadPool(WorkerThreads, connections);
        {
            std::lock_guard lock(readyMutex);
            ready = true;
        }
        readyChanged.notify_all();
        return pool;
    };

    const QString listen = options.listen.isEmpty() ? QStringLiteral("127.0.0.1") : options.listen;
    const std::string host = listen.toStdString();
    errno = 0;
    int bound = -1;
    if (options.port == 0) {
        bound = server.bind_to_any_port(host);
    } else if (server.bind_to_port(host, options.port)) {
        bound = options.port;
    }
    if (bound <= 0) {
        const int cause = errno;
        return fail(QStringLiteral("cannot listen on %1 port %2%3")
                        .arg(listen)
                        .arg(options.port)
                        .arg(cause ? QStringLiteral(": ") + errnoText(cause) : QString()));
    }
    port = static_cast<quint16>(bound);

    listener = std::thread([this] {
        // A client that hangs up mid-response must cost an error on one write, not the process,
        // which may be the viewer. The workers are created from this thread and inherit the mask.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

        if (!server.listen_after_bind() && !stopping) {
            qCWarning(lcServer) << "stopped accepting connections on port" << port;
        }
        {
            std::lock_guard lock(readyMutex);
            ready = true;
        }
        readyChanged.notify_all();
    });
    std::unique_lock lock(readyMutex);
    readyChanged.wait(lock, [this] { return ready; });
    return true;
}

void SampleServer::Impl::stop()
{
    if (!listener.joinable()) {
        return;
    }
    stopping = true;
    server.stop();
    closeConnections();
    listener.join();
}

// httplib waits out the keep-alive time of every idle connection before its workers finish, and
// offers no way to reach those sockets; without this a viewer quitting with a connection to its
// built-in server would hang for seconds. The sockets it serves are the connected ones whose local
// port is ours: shutting them down wakes their workers, which then close them. This runs after the
// listening socket is closed, so no new connection can arrive meanwhile.
void SampleServer::Impl::closeConnections() const
{
    DIR *fds = ::opendir("/proc/self/fd");
    if (!fds) {
        qCWarning(lcServer) << "cannot list open connections:" << errnoText(errno);
        return;
    }
    while (const dirent *entry = ::readdir(fds)) {
        char *end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == ::dirfd(fds)) {
            continue;
        }
        const int socket = static_cast<int>(fd);
        sockaddr_storage local{};
        socklen_t length = sizeof local;
        if (::getsockname(socket, reinterpret_cast<sockaddr *>(&local), &length) != 0) {
            continue;
        }
        quint16 localPort = 0;
        if (local.ss_family == AF_INET) {
            localPort = ntohs(reinterpret_cast<const sockaddr_in &>(local).sin_port);
        } else if (local.ss_family == AF_INET6) {
            localPort = ntohs(reinterpret_cast<const sockaddr_in6 &>(local).sin6_port);
        }
        int listening = 0;
        socklen_t optionLength = sizeof listening;
        sockaddr_storage peer{};
        socklen_t peerLength = sizeof peer;
        if (localPort != port || ::getsockopt(socket, SOL_SOCKET, SO_ACCEPTCONN, &listening, &optionLength) != 0 ||
            listening || ::getpeername(socket, reinterpret_cast<sockaddr *>(&peer), &peerLength) != 0) {
            continue;
        }
        ::shutdown(socket, SHUT_RDWR);
    }
    ::closedir(fds);
}

void SampleServer::Impl::handle(const httplib::Request &request, httplib::Response &response)
{
    std::string_view target = request.target;
    // Absolute-form targets are legal HTTP/1.1; only their path matters here.
    if (target.size() >= 7 && strncasecmp(target.data(), "http://", 7) == 0) {
        const std::size_t slash = target.find('/', 7);
        target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
    }
    target = target.substr(0, target.find('?'));
    if (target.empty() || target.front() != '/') {
        response.status = 400;
        return;
    }
    const std::optional<std::vector<std::string>> segments = decodeSegments(target);
    if (!segments) {
        response.status = 400;
        return;
    }

    if (!rootPrefix.empty()) {
        serveFile(*segments, response);
        return;
    }
    std::string path;
    for (const std::string &segment : *segments) {
        path += '/';
        path += segment;
    }
    servePage(path, response);
}

void SampleServer::Impl::servePage(const std::string &path, httplib::Response &response)
{
    const std::optional<Catalogue::PageAddress> address = Catalogue::parsePagePath(path);
    if (!address || !Catalogue::pageExists(address->edition, address->page, address->subpage)) {
        response.status = 404;
        return;
    }
    const QByteArray png = page(*address);
    if (png.isEmpty()) {
        response.status = 500;
        return;
    }
    response.set_header("Cache-Control", "no-cache");
    response.set_content(png.constData(), static_cast<std::size_t>(png.size()), "image/png");
}

QByteArray SampleServer::Impl::page(const Catalogue::PageAddress &address)
{
    const QDateTime clock = options.fixedTime ? Catalogue::fixedTime() : QDateTime::currentDateTime();
    // The header clock shows seconds, so a rendering serves every request within its second.
    const QString key = address.edition + u'/' + QString::number(address.page) + u'/' +
                        QString::number(address.subpage) + u'/' + clock.toString(QStringLiteral("yyyyMMddHHmmss"));
    {
        std::lock_guard lock(cacheMutex);
        if (const QByteArray *cached = cache.object(key)) {
            return *cached;
        }
    }
    const QByteArray png = Catalogue::renderPng(address.edition, address.page, address.subpage, clock);
    if (!png.isEmpty()) {
        std::lock_guard lock(cacheMutex);
        cache.insert(key, new QByteArray(png), png.size());
    }
    return png;
}

void SampleServer::Impl::serveFile(const std::vector<std::string> &segments, httplib::Response &response)
{
    std::string relative;
    for (const std::string &segment : segments) {
        if (segment.empty()) {
            continue;
        }
        if (!relative.empty()) {
            relative += '/';
        }
        relative += segment;
    }
    if (relative.empty() || segments.back().empty()) {
        response.status = 404; // folders are not listed
        return;
    }
    const std::string path = rootPrefix + relative;

    // Opened first and checked afterwards by what was actually opened, so a symbolic link swapped
    // in between cannot lead outside the root. O_NONBLOCK keeps a FIFO from stalling the worker.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int cause = errno;
        if (cause != ENOENT && cause != ENOTDIR && cause != ELOOP && cause != ENAMETOOLONG) {
            qCWarning(lcServer) << "cannot open" << path.c_str() << ":" << errnoText(cause);
        }
        response.status = 404;
        return;
    }
    auto file = std::make_shared<FileHandle>(fd);

    struct stat info {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        response.status = 404;
        return;
    }
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    char opened[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), opened, sizeof opened - 1);
    if (length <= 0) {
        qCWarning(lcServer) << "cannot tell where" << path.c_str() << "leads:" << errnoText(errno);
        response.status = 404;
        return;
    }
    const std::string_view real(opened, static_cast<std::size_t>(length));
    if (real.substr(0, rootPrefix.size()) != rootPrefix) {
        qCInfo(lcServer) << "refused" << path.c_str() << ": it leads outside the served folder";
        response.status = 404;
        return;
    }

    const auto size = static_cast<std::size_t>(info.st_size);
    response.set_content_provider(size, mimeType(relative),
                                  [file, size](std::size_t offset, std::size_t wanted, httplib::DataSink &sink) {
                                      char buffer[FileChunk];
                                      const std::size_t chunk = std::min({wanted, sizeof buffer, size - offset});
                                      const ssize_t read = ::pread(file->fd, buffer, chunk, static_cast<off_t>(offset));
                                      if (read <= 0) {
                                          // The file shrank while being sent; the length is already promised, so drop
                                          // the connection rather than send a short body as if it were whole.
                                          qCWarning(lcServer) << "file shrank while being sent";
                                          return false;
                                      }
                                      return sink.write(buffer, static_cast<std::size_t>(read));
                                  });
}

void SampleServer::Impl::logResponse(const httplib::Request &request, const httplib::Response &response)
{
    if (!accessLog) {
        return;
    }
    std::size_t bytes = 0;
    if (request.method != "HEAD") {
        bytes = response.body.empty() ? response.content_length_ : response.body.size();
    }
    const std::string agent =
        request.has_header("User-Agent") ? '"' + logField(request.get_header_value("User-Agent")) + '"' : "-";
    const std::string line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toStdString() + ' ' +
                             std::to_string(t_connection) + ' ' + logField(request.method) + ' ' +
                             logField(request.target) + ' ' + std::to_string(response.status) + ' ' +
                             std::to_string(bytes) + ' ' + agent + '\n';
    std::lock_guard lock(logMutex);
    // Flushed per line: tests and scripts read the log while the server runs.
    if (std::fwrite(line.data(), 1, line.size(), accessLog) != line.size() || std::fflush(accessLog) != 0) {
        qCWarning(lcServer) << "cannot write the access log" << options.accessLog << ":" << errnoText(errno);
    }
}

SampleServer::SampleServer(SampleServerOptions options) : m_impl(std::make_unique<Impl>(std::move(options))) {}

SampleServer::~SampleServer()
{
    stop();
}

bool SampleServer::start(QString *error)
{
    return m_impl->start(error);
}

void SampleServer::stop()
{
    m_impl->stop();
}

quint16 SampleServer::port() const
{
    return m_impl->port;
}

QString SampleServer::baseUrl() const
{
    QString host = m_impl->options.listen;
    if (host.isEmpty() || host == u"0.0.0.0") {
        host = QStringLiteral("127.0.0.1");
    } else if (host == u"::") {
        host = QStringLiteral("[::1]");
    } else if (host.contains(u':') && !host.startsWith(u'[')) {
        host = u'[' + host + u']';
    }
    return QStringLiteral("http://%1:%2").arg(host).arg(port());
}
