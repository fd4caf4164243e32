#include "RawConnection.h"
#include "server/Catalogue.h"
#include "server/SampleServer.h"
#include <algorithm>

#include <httplib.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>
#include <thread>

using namespace Catalogue;

namespace
{

const QByteArray PageHundred = "/pagiscopo/pub/tt4web/Nazionale/page-100.png";

std::unique_ptr<httplib::Client> client(const SampleServer &server)
{
    auto c = std::make_unique<httplib::Client>("127.0.0.1", server.port());
    c->set_keep_alive(true);
    c->set_url_encode(false);
    c->set_read_timeout(10);
    c->set_default_headers({{"User-Agent", "VB_APP"}});
    return c;
}

QByteArray body(const httplib::Result &result)
{
    return result ? QByteArray::fromStdString(result->body) : QByteArray();
}

std::optional<RawConnection::Response> rawRequest(quint16 port, const QByteArray &request)
{
    RawConnection connection(port);
    if (!connection.send(request)) {
        return std::nullopt;
    }
    return connection.readResponse();
}

QByteArray get(const QByteArray &target)
{
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: VB_APP\r\n\r\n";
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class TestSampleServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void everyEdition_servesBothAddressForms_data();
    void everyEdition_servesBothAddressForms();
    void unknownAddresses_areNotFound_data();
    void unknownAddresses_areNotFound();
    void malformedRequests_getBadRequestAndServingGoesOn_data();
    void malformedRequests_getBadRequestAndServingGoesOn();
    void head_matchesGet_otherMethodsAreRefused();
    void accessLog_showsKeptAliveConnectionsAndUserAgent();
    void fixedTime_servesTheSameBytesFromEveryServer();
    void concurrentClients_allGetWholePages();
    void root_servesOnlyFilesInsideIt_data();
    void root_servesOnlyFilesInsideIt();
    void stop_closesIdleKeptAliveConnections();
    void start_reportsWhyItCannotServe_data();
    void start_reportsWhyItCannotServe();

private:
    QTemporaryDir m_dir;
    QString m_logPath;
    std::unique_ptr<SampleServer> m_server;
};

void TestSampleServer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_logPath = m_dir.filePath(QStringLiteral("access.log"));
    SampleServerOptions options;
    options.fixedTime = true;
    options.accessLog = m_logPath;
    m_server = std::make_unique<SampleServer>(options);
    QString error;
    QVERIFY2(m_server->start(&error), qPrintable(error));
    QVERIFY(m_server->port() != 0);
    QCOMPARE(m_server->baseUrl(), QStringLiteral("http://127.0.0.1:%1").arg(m_server->port()));
}

void TestSampleServer::cleanupTestCase()
{
    m_server.reset();
}

void TestSampleServer::everyEdition_servesBothAddressForms_data()
{
    QTest::addColumn<QString>("edition");
    for (const QString &edition : editions()) {
        QTest::newRow(qPrintable(edition)) << edition;
    }
}

void TestSampleServer::everyEdition_servesBothAddressForms()
{
    QFETCH(QString, edition);
    // The index, a page with subpages (both forms), and the edition's first page of its own.
    QList<std::pair<int, int>> wanted = {{100, 1}, {102, 1}, {102, 3}};
    const QList<int> own = pages(edition);
    const int firstOwn = *std::find_if(own.begin(), own.end(), [&](int page) { return page > 300 && page < 400; });
    if (edition != u"Nazionale") {
        wanted.append({firstOwn, 1});
    }

    const auto http = client(*m_server);
    for (const auto &[page, subpage] : wanted) {
        const QString path = pagePath(edition, page, subpage);
        const httplib::Result result = http->Get(path.toStdString());
        QVERIFY2(result, qPrintable(path));
        QCOMPARE(result->status, 200);
        QCOMPARE(QByteArray::fromStdString(result->get_header_value("Content-Type")), QByteArray("image/png"));
        QCOMPARE(body(result), renderPng(edition, page, subpage, fixedTime()));
        QVERIFY(body(result).size() >= MinimumPageBytes);
    }
}

void TestSampleServer::unknownAddresses_areNotFound_data()
{
    QTest::addColumn<QByteArray>("target");
    const QByteArray base = "/pagiscopo/pub/tt4web/";
    QTest::newRow("suffix for subpage 1") << base + "Nazionale/page-102.1.png";
    QTest::newRow("suffix with a leading zero") << base + "Nazionale/page-102.02.png";
    QTest::newRow("subpage 0") << base + "Nazionale/page-102.0.png";
    QTest::newRow("empty suffix") << base + "Nazionale/page-100..png";
    QTest::newRow("subpage past the last") << base + "Nazionale/page-102.4.png";
    QTest::newRow("suffix not a number") << base + "Nazionale/page-102.2a.png";
    QTest::newRow("negative suffix") << base + "Nazionale/page-102.-2.png";
    QTest::newRow("page in a gap") << base + "Nazionale/page-118.png";
    QTest::newRow("page 900") << base + "Nazionale/page-900.png";
    QTest::newRow("page 999") << base + "Nazionale/page-999.png";
    QTest::newRow("four digits") << base + "Nazionale/page-1000.png";
    QTest::newRow("two digits") << base + "Nazionale/page-99.png";
    QTest::newRow("below 100") << base + "Nazionale/page-099.png";
    QTest::newRow("unknown edition") << base + "Atlantide/page-100.png";
    QTest::newRow("edition in lower case") << base + "nazionale/page-100.png";
    QTest::newRow("regional page nationally") << base + "Nazionale/page-301.png";
    QTest::newRow("other extension") << base + "Nazionale/page-100.PNG";
    QTest::newRow("edition folder") << base + "Nazionale/";
    QTest::newRow("site root") << QByteArray("/");
}

void TestSampleServer::unknownAddresses_areNotFound()
{
    QFETCH(QByteArray, target);
    const std::optional<RawConnection::Response> response = rawRequest(m_server->port(), get(target));
    QVERIFY(response);
    QCOMPARE(response->status, 404);
    QVERIFY(response->header("Content-Type").startsWith("text/html"));
    QVERIFY(response->body.startsWith("<!DOCTYPE html>"));
    // The viewer takes anything under 2000 bytes as no page at all, even while searching.
    QVERIFY(response->body.size() < 2000);
}

void TestSampleServer::malformedRequests_getBadRequestAndServingGoesOn_data()
{
    QTest::addColumn<QByteArray>("request");
    const QByteArray tail = " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    const QByteArray base = "GET /pagiscopo/pub/tt4web/Nazionale/";
    QTest::newRow("not HTTP") << QByteArray("HELLO THERE\r\n\r\n");
    QTest::newRow("unknown version") << base + "page-100.png HTTP/7.0\r\n\r\n";
    QTest::newRow("no version") << base + "page-100.png\r\n\r\n";
    QTest::newRow("bad escape") << base + "page-100%zz.png" + tail;
    QTest::newRow("cut escape") << base + "page-100.png%4" + tail;
    QTest::newRow("encoded NUL") << base + "page-100.png%00" + tail;
    QTest::newRow("encoded slash") << QByteArray("GET /pagiscopo%2fpub/tt4web/Nazionale/page-100.png") + tail;
    QTest::newRow("dot segments") << QByteArray("GET /pagiscopo/pub/tt4web/../tt4web/Nazionale/page-100.png") + tail;
    QTest::newRow("relative target") << QByteArray("GET pagiscopo/pub/tt4web/Nazionale/page-100.png") + tail;
    QTest::newRow("header line too long")
        << QByteArray("GET / HTTP/1.1\r\nX-Long: ") + QByteArray(10000, 'a') + "\r\n\r\n";
}

void TestSampleServer::malformedRequests_getBadRequestAndServingGoesOn()
{
    QFETCH(QByteArray, request);
    const std::optional<RawConnection::Response> response = rawRequest(m_server->port(), request);
    QVERIFY(response);
    QCOMPARE(response->status, 400);
    QVERIFY(response->body.size() < 2000);

    const std::optional<RawConnection::Response> next = rawRequest(m_server->port(), get(PageHundred));
    QVERIFY(next);
    QCOMPARE(next->status, 200);
}

void TestSampleServer::head_matchesGet_otherMethodsAreRefused()
{
    RawConnection connection(m_server->port());
    QVERIFY(connection.send("HEAD " + PageHundred + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"));
    // A HEAD answer carries the length but no body; the next response on the connection would be
    // misread if any body bytes had been sent.
    const std::optional<RawConnection::Response> head = connection.readResponse(10000, true);
    QVERIFY(head);
    QCOMPARE(head->status, 200);
    QCOMPARE(head->header("Content-Length").toLongLong(), renderPng(u"Nazionale", 100, 1, fixedTime()).size());

    QVERIFY(connection.send("POST " + PageHundred + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 5\r\n\r\nhello"));
    const std::optional<RawConnection::Response> post = connection.readResponse();
    QVERIFY(post);
    QCOMPARE(post->status, 405);
    QCOMPARE(post->header("Allow"), QByteArray("GET, HEAD"));

    QVERIFY(connection.send(get(PageHundred)));
    const std::optional<RawConnection::Response> page = connection.readResponse();
    QVERIFY(page);
    QCOMPARE(page->status, 200);
    QCOMPARE(page->body, renderPng(u"Nazionale", 100, 1, fixedTime()));
}

void TestSampleServer::accessLog_showsKeptAliveConnectionsAndUserAgent()
{
    // Queries are ignored by the server but written to the log, which tags this test's lines.
    const auto kept = client(*m_server);
    QCOMPARE(kept->Get(PageHundred.toStdString() + "?kept=1")->status, 200);
    QCOMPARE(kept->Get("/pagiscopo/pub/tt4web/Nazionale/page-118.png?kept=2")->status, 404);
    const auto other = client(*m_server);
    other->set_default_headers({{"User-Agent", "other agent \"quoted\""}});
    QCOMPARE(other->Get(PageHundred.toStdString() + "?other=1")->status, 200);

    QList<QByteArrayList> lines;
    const QDeadlineTimer deadline(10000);
    while (lines.size() < 3 && !deadline.hasExpired()) {
        lines.clear();
        QFile log(m_logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        for (const QByteArray &line : log.readAll().split('\n')) {
            if (line.contains("?kept=") || line.contains("?other=")) {
                lines.append(line.split(' '));
            }
        }
        if (lines.size() < 3) {
            QThread::msleep(10);
        }
    }
    QCOMPARE(lines.size(), 3);
    // Each worker writes its line when its answer is out, so a next request may be logged first:
    // put them back in the order they were sent (the tags sort so).
    std::sort(lines.begin(), lines.end(), [](const QByteArrayList &a, const QByteArrayList &b) {
        return a.at(3).mid(a.at(3).indexOf('?')) < b.at(3).mid(b.at(3).indexOf('?'));
    });

    const QByteArrayList first = lines.at(0);
    QCOMPARE(first.size(), 7);
    QVERIFY(QDateTime::fromString(QString::fromLatin1(first.at(0)), Qt::ISODateWithMs).isValid());
    QCOMPARE(first.at(2), QByteArray("GET"));
    QCOMPARE(first.at(3), PageHundred + "?kept=1");
    QCOMPARE(first.at(4), QByteArray("200"));
    QCOMPARE(first.at(5).toLongLong(), renderPng(u"Nazionale", 100, 1, fixedTime()).size());
    QCOMPARE(first.at(6), QByteArray("\"VB_APP\""));

    QCOMPARE(lines.at(1).at(4), QByteArray("404"));
    QCOMPARE(lines.at(1).at(1), first.at(1)); // same connection
    QVERIFY(lines.at(2).at(1) != first.at(1));
    QCOMPARE(lines.at(2).at(6), QByteArray("\"other\\x20agent\\x20\\x22quoted\\x22\""));
}

void TestSampleServer::fixedTime_servesTheSameBytesFromEveryServer()
{
    SampleServerOptions options;
    options.fixedTime = true;
    SampleServer second(options);
    QVERIFY(second.start(nullptr));
    const auto a = client(*m_server);
    const auto b = client(second);
    for (const QString &path : {pagePath(u"Nazionale", 100), pagePath(u"Sicilia", 300, 2), pagePath(u"Veneto", 899)}) {
        const QByteArray fromFirst = body(a->Get(path.toStdString()));
        QVERIFY(fromFirst.size() >= MinimumPageBytes);
        QCOMPARE(body(b->Get(path.toStdString())), fromFirst);
    }
}

void TestSampleServer::concurrentClients_allGetWholePages()
{
    constexpr int Clients = 4;
    constexpr int Requests = 15;
    const QList<int> list = pages(u"Nazionale");
    std::vector<QList<QByteArray>> received(Clients);
    std::vector<std::thread> threads;
    for (int c = 0; c < Clients; ++c) {
        threads.emplace_back([&, c] {
            const auto http = client(*m_server);
            for (int r = 0; r < Requests; ++r) {
                const int page = list.at((c * Requests + r) % list.size());
                received[static_cast<std::size_t>(c)].append(
                    body(http->Get(pagePath(u"Nazionale", page).toStdString())));
            }
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    for (int c = 0; c < Clients; ++c) {
        for (int r = 0; r < Requests; ++r) {
            const int page = list.at((c * Requests + r) % list.size());
            QCOMPARE(received[static_cast<std::size_t>(c)].at(r), renderPng(u"Nazionale", page, 1, fixedTime()));
        }
    }
}

void TestSampleServer::root_servesOnlyFilesInsideIt_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("content");
    const QByteArray pages = "/pagiscopo/pub/tt4web/";
    QTest::newRow("file inside") << pages + "Nazionale/page-100.png" << 200 << QByteArray("page one hundred");
    QTest::newRow("link inside to inside") << pages + "Lazio/page-100.png" << 200 << QByteArray("page one hundred");
    QTest::newRow("missing file") << pages + "Nazionale/page-101.png" << 404 << QByteArray();
    QTest::newRow("folder") << pages + "Nazionale" << 404 << QByteArray();
    QTest::newRow("dot-dot") << pages + "../../../../outside/secret.txt" << 400 << QByteArray();
    QTest::newRow("encoded dot-dot") << pages + "%2e%2e/%2e%2e/%2e%2e/%2e%2e/outside/secret.txt" << 400 << QByteArray();
    QTest::newRow("upper-case encoded dot-dot")
        << pages + "%2E%2E/%2E%2E/%2E%2E/%2E%2E/outside/secret.txt" << 400 << QByteArray();
    QTest::newRow("half-encoded dot-dot") << pages + ".%2e/.%2e/.%2e/.%2e/outside/secret.txt" << 400 << QByteArray();
    QTest::newRow("encoded slash") << QByteArray("/..%2f..%2foutside/secret.txt") << 400 << QByteArray();
    QTest::newRow("link to a file outside") << pages + "Nazionale/page-102.png" << 404 << QByteArray();
    QTest::newRow("link to a folder outside") << QByteArray("/leak/secret.txt") << 404 << QByteArray();
}

void TestSampleServer::root_servesOnlyFilesInsideIt()
{
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QByteArray, content);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.filePath(QStringLiteral("root"));
    const QString outside = dir.filePath(QStringLiteral("outside"));
    const QString nazionale = root + QStringLiteral("/pagiscopo/pub/tt4web/Nazionale");
    QVERIFY(writeFile(nazionale + QStringLiteral("/page-100.png"), "page one hundred"));
    QVERIFY(writeFile(outside + QStringLiteral("/secret.txt"), "secret"));
    QVERIFY(QFile::link(outside + QStringLiteral("/secret.txt"), nazionale + QStringLiteral("/page-102.png")));
    QVERIFY(QFile::link(outside, root + QStringLiteral("/leak")));
    QVERIFY(QFile::link(nazionale, root + QStringLiteral("/pagiscopo/pub/tt4web/Lazio")));

    SampleServerOptions options;
    options.root = root;
    SampleServer server(options);
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));

    const std::optional<RawConnection::Response> response = rawRequest(server.port(), get(target));
    QVERIFY(response);
    QCOMPARE(response->status, status);
    QVERIFY(!response->body.contains("secret"));
    if (status == 200) {
        QCOMPARE(response->body, content);
        QCOMPARE(response->header("Content-Type"), QByteArray("image/png"));
    }
}

void TestSampleServer::stop_closesIdleKeptAliveConnections()
{
    // Idle connections would otherwise hold stop() for their whole keep-alive time: an hour here,
    // so a regression shows as this test hanging until its time limit.
    SampleServerOptions options;
    options.keepAliveSeconds = 3600;
    SampleServer server(options);
    QVERIFY(server.start(nullptr));
    RawConnection idle(server.port());
    QVERIFY(idle.send(get(PageHundred)));
    const std::optional<RawConnection::Response> response = idle.readResponse();
    QVERIFY(response);
    QCOMPARE(response->status, 200);

    server.stop();
    QVERIFY(idle.waitForClose());
    QVERIFY(!RawConnection(server.port()).isConnected());
}

void TestSampleServer::start_reportsWhyItCannotServe_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("port in use") << QStringLiteral("port");
    QTest::newRow("root is a file") << QStringLiteral("root");
    QTest::newRow("log in a missing folder") << QStringLiteral("log");
}

void TestSampleServer::start_reportsWhyItCannotServe()
{
    QFETCH(QString, what);
    SampleServerOptions options;
    if (what == u"port") {
        options.port = m_server->port();
    } else if (what == u"root") {
        options.root = m_logPath;
    } else {
        options.accessLog = m_dir.filePath(QStringLiteral("missing/access.log"));
    }
    SampleServer server(options);
    QString error;
    QVERIFY(!server.start(&error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!error.contains(u'\n'));
}

QTEST_GUILESS_MAIN(TestSampleServer)
#include "tst_sampleserver.moc"
