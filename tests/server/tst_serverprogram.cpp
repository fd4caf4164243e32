#include "server/Catalogue.h"

#include <httplib.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

using namespace Catalogue;

namespace
{

const QString Program = QStringLiteral(PAGISCOPO_SERVER_BIN);

// A running pagiscopo-server and the address it announced on its first line.
struct Running {
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    QString firstLine;
    quint16 port = 0;

    ~Running()
    {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished();
        }
    }
};

std::unique_ptr<Running> launch(const QStringList &args)
{
    auto running = std::make_unique<Running>();
    running->process->start(Program, args);
    if (!running->process->waitForStarted()) {
        return running;
    }
    const QDeadlineTimer deadline(10000);
    while (!running->process->canReadLine() && running->process->state() == QProcess::Running &&
           !deadline.hasExpired()) {
        running->process->waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    running->firstLine = QString::fromLocal8Bit(running->process->readLine());
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^pagiscopo-server: serving http://127\\.0\\.0\\.1:(\\d+)\\n$"))
            .match(running->firstLine);
    if (match.hasMatch()) {
        running->port = static_cast<quint16>(match.captured(1).toUInt());
    }
    return running;
}

QByteArray fetch(quint16 port, const QString &path)
{
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(10);
    const httplib::Result result = client.Get(path.toStdString(), {{"User-Agent", "VB_APP"}});
    return result && result->status == 200 ? QByteArray::fromStdString(result->body) : QByteArray();
}

} // namespace

class TestServerProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void program_announcesItsAddressAndServesFixedTimePages();
    void stopSignals_endTheProgramCleanly_data();
    void stopSignals_endTheProgramCleanly();
    void fixedTime_twoRunsServeIdenticalBytes();
    void badCommandLines_getOneLineAndStatus2_data();
    void badCommandLines_getOneLineAndStatus2();
    void help_describesEveryOption();
    void startFailure_getsOneLineAndStatus1();
};

void TestServerProgram::program_announcesItsAddressAndServesFixedTimePages()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("access.log"));
    const auto server = launch({QStringLiteral("--fixed-time"), QStringLiteral("--access-log"), log});
    QVERIFY2(server->port != 0, qPrintable(server->firstLine));

    QCOMPARE(fetch(server->port, pagePath(u"Nazionale", 100)), renderPng(u"Nazionale", 100, 1, fixedTime()));
    QCOMPARE(fetch(server->port, pagePath(u"Lazio", 103, 2)), renderPng(u"Lazio", 103, 2, fixedTime()));

    ::kill(static_cast<pid_t>(server->process->processId()), SIGTERM);
    QVERIFY(server->process->waitForFinished(10000));
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray lines = file.readAll();
    QVERIFY(lines.contains(" GET /pagiscopo/pub/tt4web/Nazionale/page-100.png 200 "));
    QVERIFY(lines.contains(" GET /pagiscopo/pub/tt4web/Lazio/page-103.2.png 200 "));
}

void TestServerProgram::stopSignals_endTheProgramCleanly_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
}

void TestServerProgram::stopSignals_endTheProgramCleanly()
{
    QFETCH(int, signal);
    const auto server = launch({});
    QVERIFY2(server->port != 0, qPrintable(server->firstLine));
    // A kept-alive connection is open when the signal comes; it must not hold the exit back.
    httplib::Client client("127.0.0.1", server->port);
    client.set_keep_alive(true);
    QCOMPARE(client.Get(pagePath(u"Nazionale", 100).toStdString())->status, 200);

    ::kill(static_cast<pid_t>(server->process->processId()), signal);
    QVERIFY(server->process->waitForFinished(10000));
    QCOMPARE(server->process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(server->process->exitCode(), 0);
    QCOMPARE(server->process->readAllStandardError(), QByteArray());
}

void TestServerProgram::fixedTime_twoRunsServeIdenticalBytes()
{
    const QStringList paths = {pagePath(u"Nazionale", 100), pagePath(u"Nazionale", 102, 3), pagePath(u"Aosta", 301),
                               pagePath(u"Nazionale", 899)};
    QList<QByteArray> runs[2];
    for (QList<QByteArray> &run : runs) {
        const auto server = launch({QStringLiteral("--fixed-time")});
        QVERIFY2(server->port != 0, qPrintable(server->firstLine));
        for (const QString &path : paths) {
            run.append(fetch(server->port, path));
            QVERIFY2(run.last().size() >= MinimumPageBytes, qPrintable(path));
        }
    }
    QCOMPARE(runs[0], runs[1]);
}

void TestServerProgram::badCommandLines_getOneLineAndStatus2_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus")};
    QTest::newRow("stray argument") << QStringList{QStringLiteral("extra")};
    QTest::newRow("port without value") << QStringList{QStringLiteral("--port")};
    QTest::newRow("port not a number") << QStringList{QStringLiteral("--port"), QStringLiteral("http")};
    QTest::newRow("port too large") << QStringList{QStringLiteral("--port"), QStringLiteral("65536")};
    QTest::newRow("negative port") << QStringList{QStringLiteral("--port=-1")};
    QTest::newRow("latency not a number") << QStringList{QStringLiteral("--latency-ms"), QStringLiteral("5ms")};
    QTest::newRow("value for a flag") << QStringList{QStringLiteral("--fixed-time=yes")};
    QTest::newRow("empty root") << QStringList{QStringLiteral("--root"), QString()};
}

void TestServerProgram::badCommandLines_getOneLineAndStatus2()
{
    QFETCH(QStringList, args);
    QProcess process;
    process.start(Program, args);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    const QByteArray error = process.readAllStandardError();
    QVERIFY(error.startsWith("pagiscopo-server: "));
    QCOMPARE(error.count('\n'), 1);
    QVERIFY(error.endsWith('\n'));
}

void TestServerProgram::help_describesEveryOption()
{
    QProcess process;
    process.start(Program, {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    const QByteArray usage = process.readAllStandardOutput();
    QVERIFY(usage.startsWith("Usage: pagiscopo-server"));
    for (const char *option : {"--listen", "--port", "--fixed-time", "--root", "--latency-ms", "--access-log"}) {
        QVERIFY2(usage.contains(option), option);
    }
}

void TestServerProgram::startFailure_getsOneLineAndStatus1()
{
    QTemporaryDir dir;
    QProcess process;
    process.start(Program, {QStringLiteral("--root"), dir.filePath(QStringLiteral("missing"))});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QCOMPARE(process.readAllStandardError().count('\n'), 1);
}

QTEST_GUILESS_MAIN(TestServerProgram)
#include "tst_serverprogram.moc"
