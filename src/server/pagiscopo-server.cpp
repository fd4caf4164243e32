// pagiscopo-server: the sample teletext web server as a program of its own, for scripts, the
// end-to-end tests and the benchmarks. It needs no display and no Qt application object.

#include "server/SampleServer.h"

#include <QString>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <optional>

#include <pthread.h>

namespace
{

constexpr int MaxLatencyMs = 60 * 1000;

const char Usage[] = "Usage: pagiscopo-server [options]\n"
                     "Serves sample teletext pages as PNG images over HTTP for the Pagiscopo viewer.\n"
                     "\n"
                     "  --listen ADDR       address to listen on (default 127.0.0.1)\n"
                     "  --port N            port to listen on; 0 lets the system choose (default 0)\n"
                     "  --fixed-time        draw every page with the same date and time, so that every run\n"
                     "                      serves identical bytes\n"
                     "  --root DIR          serve the files under DIR, laid out like the real server\n"
                     "                      (DIR/pagiscopo/pub/tt4web/EDITION/page-NNN.png), instead of the\n"
                     "                      sample pages\n"
                     "  --latency-ms N      wait N milliseconds before each response (default 0)\n"
                     "  --access-log FILE   append one line per request to FILE\n"
                     "  -h, --help          show this help and exit\n"
                     "  --version           show the version and exit\n"
                     "\n"
                     "The first line on standard output names the address served. SIGINT or SIGTERM stops the server.\n"
                     "Exit status: 0 after a stop signal, 1 when the server cannot start, 2 for a bad command line.\n";

struct Parsed {
    SampleServerOptions options;
    bool help = false;
    bool version = false;
};

std::optional<int> number(const QString &text, int max)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < 0 || value > max || text.startsWith(u'+')) {
        return std::nullopt;
    }
    return value;
}

// Returns the options, or an error message for the one line that a bad command line gets.
std::optional<Parsed> parse(const QStringList &args, QString *error)
{
    Parsed parsed;
    for (int i = 0; i < args.size(); ++i) {
        QString name = args.at(i);
        std::optional<QString> inlineValue;
        if (name.startsWith(QStringLiteral("--")) && name.contains(u'=')) {
            inlineValue = name.mid(name.indexOf(u'=') + 1);
            name = name.left(name.indexOf(u'='));
        }
        const auto value = [&]() -> std::optional<QString> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 >= args.size()) {
                *error = QStringLiteral("option %1 needs a value").arg(name);
                return std::nullopt;
            }
            return args.at(++i);
        };
        const auto flag = [&]() {
            if (inlineValue) {
                *error = QStringLiteral("option %1 takes no value").arg(name);
                return false;
            }
            return true;
        };

        if (name == u"-h" || name == u"--help") {
            if (!flag()) {
                return std::nullopt;
            }
            parsed.help = true;
        } else if (name == u"--version") {
            if (!flag()) {
                return std::nullopt;
            }
            parsed.version = true;
        } else if (name == u"--fixed-time") {
            if (!flag()) {
                return std::nullopt;
            }
            parsed.options.fixedTime = true;
        } else if (name == u"--listen" || name == u"--root" || name == u"--access-log") {
            const std::optional<QString> text = value();
            if (!text) {
                return std::nullopt;
            }
            if (text->isEmpty()) {
                *error = QStringLiteral("option %1 needs a non-empty value").arg(name);
                return std::nullopt;
            }
            (name == u"--listen" ? parsed.options.listen
             : name == u"--root" ? parsed.options.root
                                 : parsed.options.accessLog) = *text;
        } else if (name == u"--port") {
            const std::optional<QString> text = value();
            if (!text) {
                return std::nullopt;
            }
            const std::optional<int> port = number(*text, 65535);
            if (!port) {
                *error = QStringLiteral("--port needs a number from 0 to 65535, not '%1'").arg(*text);
                return std::nullopt;
            }
            parsed.options.port = static_cast<quint16>(*port);
        } else if (name == u"--latency-ms") {
            const std::optional<QString> text = value();
            if (!text) {
                return std::nullopt;
            }
            const std::optional<int> latency = number(*text, MaxLatencyMs);
            if (!latency) {
                *error =
                    QStringLiteral("--latency-ms needs a number from 0 to %1, not '%2'").arg(MaxLatencyMs).arg(*text);
                return std::nullopt;
            }
            parsed.options.latencyMs = *latency;
        } else if (name.startsWith(u'-')) {
            *error = QStringLiteral("unknown option '%1' (see --help)").arg(name);
            return std::nullopt;
        } else {
            *error = QStringLiteral("unexpected argument '%1' (see --help)").arg(name);
            return std::nullopt;
        }
    }
    return parsed;
}

void printLine(FILE *stream, const QString &text)
{
    std::fprintf(stream, "pagiscopo-server: %s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args.append(QString::fromLocal8Bit(argv[i]));
    }
    QString error;
    const std::optional<Parsed> parsed = parse(args, &error);
    if (!parsed) {
        printLine(stderr, error);
        return 2;
    }
    if (parsed->help) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (parsed->version) {
        std::printf("pagiscopo-server %s\n", PAGISCOPO_VERSION);
        return 0;
    }

    // Blocked before any thread exists, so every thread inherits the mask and the signals wait
    // for sigwait() below instead of interrupting a worker.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    SampleServer server(parsed->options);
    if (!server.start(&error)) {
        printLine(stderr, error);
        return 1;
    }
    printLine(stdout, QStringLiteral("serving ") + server.baseUrl());

    int received = 0;
    sigwait(&stopSignals, &received);
    server.stop();
    return 0;
}
