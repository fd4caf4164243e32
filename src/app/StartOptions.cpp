#include "app/StartOptions.h"

#include "app/AppLog.h"
#include "viewer/PageAddress.h"

namespace
{

// Whatever stands between the scheme and the last @ may be a password: it never reaches a message.
QString withoutUserInfo(const QString &text)
{
    const qsizetype at = text.lastIndexOf(QLatin1Char('@'));
    if (at < 0) {
        return text;
    }
    const qsizetype scheme = text.indexOf(QLatin1String("://"));
    const qsizetype start = scheme >= 0 && scheme < at ? scheme + 3 : 0;
    return text.left(start) + QStringLiteral("***") + text.mid(at);
}

StartOptions failure(const QString &error)
{
    StartOptions options;
    options.action = StartOptions::Action::Fail;
    options.error = error;
    return options;
}

// Control characters, line breaks and invisible format characters as escapes; with `backslashes`,
// a backslash too, so that an escape in the text cannot pass for one of ours.
QString escaped(const QString &text, bool backslashes)
{
    QString quoted;
    quoted.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' && backslashes) {
            quoted += QStringLiteral("\\\\");
        } else if (u == '\n') {
            quoted += QStringLiteral("\\n");
        } else if (u == '\r') {
            quoted += QStringLiteral("\\r");
        } else if (u == '\t') {
            quoted += QStringLiteral("\\t");
        } else if (u < 0x20 || (u >= 0x7f && u < 0xa0)) {
            quoted += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        } else if (c.category() == QChar::Other_Format || c.category() == QChar::Separator_Line ||
                   c.category() == QChar::Separator_Paragraph) {
            // Invisible, or a line break to a terminal: bidirectional overrides, U+2028 and the like.
            quoted += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        } else {
            quoted += c;
        }
    }
    return quoted;
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
            return failure(QStringLiteral("unknown option '%1' (try --help)").arg(quotedArgument(argument)));
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
            // Qt's reasons may hold a character of the text (an invalid host name, say).
            return failure(
                QStringLiteral("%1 '%2': %3").arg(serverSource, quotedArgument(server), escaped(why, false)));
        }
    }
    return options;
}

QString quotedArgument(const QString &text)
{
    return escaped(withoutUserInfo(text), true);
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

bool prefersX11(const QProcessEnvironment &environment)
{
    const auto isSet = [&environment](const char *name) { return !environment.value(QLatin1String(name)).isEmpty(); };
    return !isSet("QT_QPA_PLATFORM") && isSet("WAYLAND_DISPLAY") && isSet("DISPLAY");
}

void chooseWindowSystem()
{
    if (!prefersX11(QProcessEnvironment::systemEnvironment())) {
        return;
    }
    qCDebug(lcApp) << "the desktop offers X beside Wayland: running on X";
    if (!qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"))) {
        qCWarning(lcApp) << "cannot set QT_QPA_PLATFORM; Qt chooses the window system itself";
    }
}
