// The command line and $PAGISCOPO_SERVER: every message must stay on one line and keep a password
// to itself, and every accepted server must be a plain origin.

#include "FuzzSupport.h"

#include "app/StartOptions.h"
#include "viewer/PageAddress.h"

#include <QUrl>

namespace
{

// A password no input can contain by chance, so finding it in a message means it leaked.
const QString kPassword = QStringLiteral("Zq7PasswordMarker");

void requireOneCleanLine(const QString &message)
{
    FUZZ_REQUIRE(!message.isEmpty(), "a failure without a message");
    for (const QChar c : message) {
        const bool control = c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0) ||
                             c.unicode() == 0x2028 || c.unicode() == 0x2029;
        FUZZ_REQUIRE(!control, "a control character or line break in a message");
    }
}

void requireSound(const StartOptions &options, bool holdsPassword = false)
{
    if (holdsPassword) {
        FUZZ_REQUIRE(options.action == StartOptions::Action::Fail, "a server with a password was accepted");
    }
    if (options.action == StartOptions::Action::Fail) {
        requireOneCleanLine(options.error);
        FUZZ_REQUIRE(!holdsPassword || !options.error.contains(kPassword), "the password appears in a message");
        return;
    }
    if (options.serverBase.isEmpty()) {
        return;
    }
    const QUrl url(options.serverBase, QUrl::StrictMode);
    FUZZ_REQUIRE(url.isValid(), "an accepted server that does not parse");
    FUZZ_REQUIRE(url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"), "another scheme");
    FUZZ_REQUIRE(!url.host().isEmpty(), "an accepted server without a host");
    FUZZ_REQUIRE(url.userInfo().isEmpty() && !options.serverBase.contains(QLatin1Char('@')),
                 "an accepted server with a user name or password");
    FUZZ_REQUIRE(url.path().isEmpty() && !url.hasQuery() && !url.hasFragment(), "an accepted server with a path");
    QString why;
    FUZZ_REQUIRE(normaliseServerBase(options.serverBase, &why) == options.serverBase, "the server is not stable");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // First field: $PAGISCOPO_SERVER (empty: unset); the others: the arguments.
    const QList<QByteArray> fields = fuzzFields(data, size);
    const QString environment = QString::fromUtf8(fields.value(0));
    QStringList arguments;
    for (qsizetype i = 1; i < fields.size(); ++i) {
        arguments << QString::fromUtf8(fields.at(i));
    }
    requireSound(parseStartOptions(arguments, environment));

    // The same texts around a user name and password, given every way a server can be given.
    const QString tail = arguments.join(QString());
    const QString secret =
        QStringLiteral("http://") + environment + QLatin1Char(':') + kPassword + tail + QLatin1Char('@') + tail;
    requireSound(parseStartOptions({QStringLiteral("--server"), secret}, {}), true);
    requireSound(parseStartOptions({QStringLiteral("--server=") + secret}, {}), true);
    requireSound(parseStartOptions({}, secret), true);
    return 0;
}
