#include "HttpFixture.h"
#include "SlowPages.h"
#include "viewer/DownloadUrl.h"
#include "viewer/HttpPool.h"

#include <QTemporaryFile>
#include <QTest>

#include <httplib.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

using namespace std::chrono_literals;

namespace
{

// A loopback port that nobody listens on.
int closedPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

QByteArray allByteValues()
{
    QByteArray bytes;
    for (int repeat = 0; repeat < 3; ++repeat) {
        for (int value = 0; value < 256; ++value) {
            bytes.append(char(value));
        }
    }
    return bytes;
}

// Collects what a pool's transfers hand back, from the pool's thread.
struct Outcomes {
    std::mutex mutex;
    std::condition_variable arrived;
    QList<DownloadResult> results;

    HttpPool::Finished collect()
    {
        return [this](DownloadResult result) {
            {
                const std::lock_guard lock(mutex);
                results.append(std::move(result));
            }
            arrived.notify_all();
        };
    }
    bool waitFor(qsizetype count)
    {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, 20s, [&] { return results.size() >= count; });
    }
};

// Waits, with a bound, for the peer to close; returns true if it did.
bool waitForPeerClose(int socket, std::chrono::seconds bound)
{
    timeval timeout{long(bound.count()), 0};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    char c;
    return ::read(socket, &c, 1) == 0;
}

} // namespace

class DownloadUrlTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unreachableHost_returnsNothingAndNoResponse();
    void bodies_comeBackUnchanged_data();
    void bodies_comeBackUnchanged();
    void requestHeaders_userAgentAndNoCompression();
    void proxyEnvironment_isIgnored();
    void redirect_isFollowed();
    void redirectToOtherProtocols_isRefused_data();
    void redirectToOtherProtocols_isRefused();
    void redirectLoop_isBounded();
    void stalledServer_isAbandoned();
    void endlessBody_isCutOffAtTheCap();
    void connectionResetMidBody_keepsWhatArrived();
    void successiveDownloads_shareOneConnection();
    void manyTransfersAtOnce_neverMoreThanSixConnections();
    void stopToKeepTheConnection_readsAShortAnswerOutAndReusesIt();
    void stopNow_orALongAnswer_closesTheConnection_data();
    void stopNow_orALongAnswer_closesTheConnection();
};

void DownloadUrlTest::unreachableHost_returnsNothingAndNoResponse()
{
    Downloader downloader;
    const DownloadResult result =
        downloader.get(QStringLiteral("http://127.0.0.1:%1/page-100.png").arg(closedPort()).toUtf8());
    QVERIFY(result.body.isEmpty());
    QVERIFY(!result.responded);

    const DownloadResult badName = downloader.get("http://no-such-host.invalid/page-100.png");
    QVERIFY(badName.body.isEmpty());
    QVERIFY(!badName.responded);
}

void DownloadUrlTest::bodies_comeBackUnchanged_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::newRow("404 with a short page") << HttpFixture::notFoundBody() << 404;
    QTest::newRow("exactly one 128-byte chunk") << QByteArray(128, 'a') << 200;
    QTest::newRow("fewer than 128 bytes") << QByteArrayLiteral("tiny") << 200;
    QTest::newRow("129 bytes") << QByteArray(129, 'b') << 200;
    QTest::newRow("empty") << QByteArray() << 200;
    QTest::newRow("every byte value") << allByteValues() << 200;
    QTest::newRow("500 with a body") << QByteArrayLiteral("server error") << 500;
}

void DownloadUrlTest::bodies_comeBackUnchanged()
{
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    HttpFixture server;
    server.serve(QStringLiteral("/x.png"), body, status);
    Downloader downloader;
    const DownloadResult result = downloader.get(server.url(QStringLiteral("/x.png")));
    QCOMPARE(result.body, body);
    QVERIFY(result.responded);
}

void DownloadUrlTest::requestHeaders_userAgentAndNoCompression()
{
    HttpFixture server;
    server.serve(QStringLiteral("/p.png"), QByteArrayLiteral("body"));
    Downloader downloader;
    downloader.get(server.url(QStringLiteral("/p.png")));
    const auto requests = server.requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.first().userAgent, QByteArrayLiteral("VB_APP"));
    QVERIFY2(!requests.first().hadAcceptEncoding, requests.first().acceptEncoding.constData());
}

void DownloadUrlTest::proxyEnvironment_isIgnored()
{
    HttpFixture server;
    server.serve(QStringLiteral("/p.png"), QByteArrayLiteral("direct"));
    const QByteArray deadProxy = QStringLiteral("http://127.0.0.1:%1").arg(closedPort()).toUtf8();
    qputenv("http_proxy", deadProxy);
    qputenv("HTTP_PROXY", deadProxy);
    qputenv("ALL_PROXY", deadProxy);
    Downloader downloader;
    const DownloadResult result = downloader.get(server.url(QStringLiteral("/p.png")));
    qunsetenv("http_proxy");
    qunsetenv("HTTP_PROXY");
    qunsetenv("ALL_PROXY");
    QCOMPARE(result.body, QByteArrayLiteral("direct"));
}

void DownloadUrlTest::redirect_isFollowed()
{
    HttpFixture server;
    server.handle(QStringLiteral("/old.png"),
                  [](const httplib::Request &, httplib::Response &response) { response.set_redirect("/new.png"); });
    server.serve(QStringLiteral("/new.png"), QByteArrayLiteral("moved here"));
    Downloader downloader;
    QCOMPARE(downloader.get(server.url(QStringLiteral("/old.png"))).body, QByteArrayLiteral("moved here"));
    QCOMPARE(server.requestedPaths(), QStringList({QStringLiteral("/old.png"), QStringLiteral("/new.png")}));
}

void DownloadUrlTest::redirectToOtherProtocols_isRefused_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::newRow("ftp") << QStringLiteral("ftp");
    QTest::newRow("file") << QStringLiteral("file");
}

void DownloadUrlTest::redirectToOtherProtocols_isRefused()
{
    QFETCH(QString, scheme);
    // Something listening where an ftp redirect would go, to see whether anybody comes.
    std::atomic<int> visits{0};
    RawTcpServer trap([&visits](int socket) {
        ++visits;
        ::close(socket);
    });
    QTemporaryFile secret;
    QVERIFY(secret.open());
    secret.write("secret-content");
    secret.flush();

    const std::string target = scheme == QLatin1String("ftp") ? "ftp://127.0.0.1:" + std::to_string(trap.port()) + "/x"
                                                              : "file://" + secret.fileName().toStdString();
    HttpFixture server;
    server.handle(QStringLiteral("/r.png"),
                  [target](const httplib::Request &, httplib::Response &response) { response.set_redirect(target); });
    Downloader downloader;
    const DownloadResult result = downloader.get(server.url(QStringLiteral("/r.png")));
    QVERIFY(!result.body.contains("secret-content"));
    QCOMPARE(visits.load(), 0);
}

void DownloadUrlTest::redirectLoop_isBounded()
{
    HttpFixture server;
    server.handle(QStringLiteral("/loop.png"),
                  [](const httplib::Request &, httplib::Response &response) { response.set_redirect("/loop.png"); });
    DownloadLimits limits;
    Downloader downloader(limits);
    const DownloadResult result = downloader.get(server.url(QStringLiteral("/loop.png")));
    QVERIFY(result.responded);
    QCOMPARE(result.status, 302);
    QCOMPARE(result.failure, QStringLiteral("troppi reindirizzamenti"));
    QCOMPARE(server.requests().size(), int(limits.maxRedirects) + 1);
}

void DownloadUrlTest::stalledServer_isAbandoned()
{
    // Sends the head and a little of the body, then nothing; waits (bounded) until the client gives up.
    std::atomic<bool> clientGaveUp{false};
    RawTcpServer server([&clientGaveUp](int socket) {
        readRequestHead(socket);
        const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n\r\n" + QByteArray(100, 's');
        ::write(socket, head.constData(), size_t(head.size()));
        clientGaveUp = waitForPeerClose(socket, 60s);
        ::close(socket);
    });
    DownloadLimits limits;
    limits.stallTimeout = 1s;
    Downloader downloader(limits);
    const DownloadResult result = downloader.get(server.url(QStringLiteral("/slow.png")));
    QCOMPARE(result.body, QByteArray(100, 's'));
    QCOMPARE(result.status, 200);
    QCOMPARE(result.failure, QStringLiteral("il server non risponde"));
    QTRY_VERIFY_WITH_TIMEOUT(clientGaveUp.load(), 10000);
}

void DownloadUrlTest::endlessBody_isCutOffAtTheCap()
{
    HttpFixture server;
    std::atomic<qint64> sent{0};
    server.handle(QStringLiteral("/endless.png"), [&sent](const httplib::Request &, httplib::Response &response) {
        response.set_chunked_content_provider("image/png", [&sent](size_t, httplib::DataSink &sink) {
            static const std::string block(64 * 1024, 'e');
            if (!sink.write(block.data(), block.size())) {
                return false;
            }
            sent += qint64(block.size());
            return sent < qint64(1) << 30; // a gibibyte: far past any cap, but not forever
        });
    });
    Downloader downloader; // the program's own limits
    const DownloadResult result = downloader.get(server.url(QStringLiteral("/endless.png")));
    QVERIFY(result.body.isEmpty());
    QVERIFY(result.responded);
    QCOMPARE(result.failure, QStringLiteral("la pagina supera 4 MiB"));
    QVERIFY2(sent < qint64(64) * 1024 * 1024, "the client kept reading long after the cap");
}

void DownloadUrlTest::connectionResetMidBody_keepsWhatArrived()
{
    RawTcpServer server([](int socket) {
        readRequestHead(socket);
        const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + QByteArray(3000, 'r');
        ::write(socket, head.constData(), size_t(head.size()));
        resetConnection(socket);
    });
    Downloader downloader;
    const DownloadResult result = downloader.get(server.url(QStringLiteral("/cut.png")));
    QVERIFY(result.responded);
    QCOMPARE(result.failure, QStringLiteral("connessione interrotta"));
    QVERIFY(result.body.size() <= 3000);
    QVERIFY(QByteArray(3000, 'r').startsWith(result.body));
}

void DownloadUrlTest::successiveDownloads_shareOneConnection()
{
    HttpFixture server;
    server.serve(QStringLiteral("/a.png"), QByteArrayLiteral("a"));
    server.serve(QStringLiteral("/b.png"), QByteArrayLiteral("b"));
    Downloader downloader;
    QCOMPARE(downloader.get(server.url(QStringLiteral("/a.png"))).body, QByteArrayLiteral("a"));
    QCOMPARE(downloader.get(server.url(QStringLiteral("/b.png"))).body, QByteArrayLiteral("b"));
    const DownloadResult missing = downloader.get(server.url(QStringLiteral("/missing.png")));
    QCOMPARE(missing.body, HttpFixture::notFoundBody());
    QCOMPARE(missing.status, 404);
    QVERIFY(missing.failure.isEmpty()); // a not-found answer is an answer, not a failed transfer
    const auto requests = server.requests();
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests.at(1).remotePort, requests.at(0).remotePort);
    QCOMPARE(requests.at(2).remotePort, requests.at(0).remotePort);
}

void DownloadUrlTest::manyTransfersAtOnce_neverMoreThanSixConnections()
{
    HttpFixture server;
    SlowPages slow(server);
    for (int i = 0; i < 20; ++i) {
        slow.add(QStringLiteral("/%1.png").arg(i), 40ms, QByteArray(100, char('a' + i)), 200);
    }
    Downloader downloader;
    Outcomes outcomes;
    for (int i = 0; i < 20; ++i) {
        downloader.pool().start(server.url(QStringLiteral("/%1.png").arg(i)), outcomes.collect());
    }
    // A plain download meanwhile waits its turn for one of the same connections.
    QCOMPARE(downloader.get(server.url(QStringLiteral("/0.png"))).body, QByteArray(100, 'a'));
    QVERIFY(outcomes.waitFor(20));
    for (const DownloadResult &result : std::as_const(outcomes.results)) {
        QCOMPARE(result.status, 200);
        QCOMPARE(result.body.size(), 100);
    }
    QVERIFY(slow.mostAtOnce() <= int(HttpPool::kMaxConnectionsPerHost));
    QVERIFY(slow.mostAtOnce() >= 2);
    QVERIFY(downloader.pool().connectionsOpened() <= 20);
}

void DownloadUrlTest::stopToKeepTheConnection_readsAShortAnswerOutAndReusesIt()
{
    HttpFixture server;
    SlowPages slow(server);
    slow.add(QStringLiteral("/late.png"), 200ms);
    server.serve(QStringLiteral("/next.png"), QByteArrayLiteral("next"));
    Downloader downloader;
    HttpPool &pool = downloader.pool();
    Outcomes outcomes;
    const HttpPool::Ticket ticket = pool.start(server.url(QStringLiteral("/late.png")), outcomes.collect());
    QTRY_COMPARE(slow.answering(), 1);
    pool.stop(ticket, HttpPool::Stop::KeepConnection);
    // Its owner hears at once that it is over...
    QVERIFY(outcomes.waitFor(1));
    QVERIFY(outcomes.results.first().cancelled);
    // ...while the answer is read out in the background and the connection goes back to the pool.
    QTRY_COMPARE(pool.connectionsKeptAfterStop(), 1L);
    QCOMPARE(downloader.get(server.url(QStringLiteral("/next.png"))).body, QByteArrayLiteral("next"));
    const auto requests = server.requests();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests.at(1).remotePort, requests.at(0).remotePort);
    QCOMPARE(slow.clientsLeft(), 0);
    QCOMPARE(pool.connectionsOpened(), 1L);
}

void DownloadUrlTest::stopNow_orALongAnswer_closesTheConnection_data()
{
    QTest::addColumn<bool>("now");
    QTest::addColumn<int>("bodyBytes");
    QTest::newRow("stopped now") << true << 300;
    QTest::newRow("kept, but the answer is long") << false << 2 * 1024 * 1024;
}

void DownloadUrlTest::stopNow_orALongAnswer_closesTheConnection()
{
    QFETCH(bool, now);
    QFETCH(int, bodyBytes);
    HttpFixture server;
    SlowPages slow(server);
    slow.add(QStringLiteral("/late.png"), 3000ms, QByteArray(bodyBytes, 'l'), 200);
    server.serve(QStringLiteral("/next.png"), QByteArrayLiteral("next"));
    Downloader downloader;
    HttpPool &pool = downloader.pool();
    Outcomes outcomes;
    const HttpPool::Ticket ticket = pool.start(server.url(QStringLiteral("/late.png")), outcomes.collect());
    QTRY_COMPARE(slow.answering(), 1);
    pool.stop(ticket, now ? HttpPool::Stop::Now : HttpPool::Stop::KeepConnection);
    QVERIFY(outcomes.waitFor(1));
    QVERIFY(outcomes.results.first().cancelled);
    // The server sees the client hang up long before its answer would have gone out.
    QTRY_COMPARE(slow.clientsLeft(), 1);
    QCOMPARE(downloader.get(server.url(QStringLiteral("/next.png"))).body, QByteArrayLiteral("next"));
    const auto requests = server.requests();
    QCOMPARE(requests.size(), 2);
    QVERIFY(requests.at(1).remotePort != requests.at(0).remotePort);
    QCOMPARE(pool.connectionsKeptAfterStop(), 0L);
}

QTEST_GUILESS_MAIN(DownloadUrlTest)
#include "tst_downloadurl.moc"
