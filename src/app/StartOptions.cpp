#include "app/StartOptions.h"

#include "viewer/PageAddress.h"

namespace
{

StartOptions failure(const QString &error)
{
    StartOptions options;
    options.action = StartOptions::Action::Fail;
    options.error = error;
    return options;
}

} // namespace

StartOptions parseStartOptions(const QStringList &arguments, const QString &environmentServer)
{
    StartOptions options;
    QString server;
    QString serverSource;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.action = StartOptions::Action::ShowHelp;
            return options;
        }
        if (argument == QLatin1String("--version")) {
            options.action = StartOptions::Action::ShowVersion;
            return options;
        }
        if (argument == QLatin1String("--server")) {
            if (i + 1 >= arguments.size()) {
                return failure(QStringLiteral("--server needs an address, e.g. --server http://127.0.0.1:8080"));
            }
            server = arguments.at(++i);
            serverSource = QStringLiteral("--server");
        } else if (argument.startsWith(QLatin1String("--server="))) {
            server = argument.mid(int(qstrlen("--server=")));
            serverSource = QStringLiteral("--server");
        } else {
            return failure(QStringLiteral("unknown option '%1' (try --help)").arg(argument));
        }
    }
    if (serverSource.isEmpty() && !environmentServer.isEmpty()) {
        server = environmentServer;
        serverSource = QStringLiteral("PAGISCOPO_SERVER");
    }
    if (!serverSource.isEmpty()) {
        QString why;
        options.serverBase = normaliseServerBase(server, &why);
        if (options.serverBase.isEmpty()) {
            return failure(QStringLiteral("%1 '%2': %3").arg(serverSource, server, why));
        }
    }
    return options;
}

QString usageText()
{
    return QStringLiteral("Usage: pagiscopo [--server URL]\n"
                          "Shows the pages of a web teletext service.\n"
                          "\n"
                          "  --server URL   the teletext server, e.g. http://teletext.example:8080\n"
                          "                 (default: $PAGISCOPO_SERVER, else a sample server built into the program)\n"
                          "  --help         show this text\n"
                          "  --version      show the version\n");
}
