#include "viewer/PageAddress.h"

#include "navigation/PageNumbers.h"

#include <QUrl>

QByteArray encodeAddressText(const QString &text)
{
    // toPercentEncoding keeps the unreserved set, which includes '~'; we keep only - . _
    return QUrl::toPercentEncoding(text, QByteArray("-._"), QByteArray("~"));
}

QByteArray pageAddress(const QString &base, const QString &edition, const QString &page, const QString &subpage)
{
    // libcurl resolves "." and ".." segments before it sends a request, so such an edition would
    // step out of the editions' folder. Encoding the dots would not do: %2E is a dot to anything
    // that normalises addresses on the way (a proxy, the server).
    if (edition == QLatin1String(".") || edition == QLatin1String("..")) {
        return {};
    }
    QByteArray address = base.toUtf8();
    address += "/pagiscopo/pub/tt4web/";
    address += encodeAddressText(edition);
    address += "/page-";
    address += encodeAddressText(page);
    if (subpage != kFirstSubpage) {
        address += '.';
        address += encodeAddressText(subpage);
    }
    address += ".png";
    return address;
}

QString normaliseServerBase(const QString &text, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error) {
            *error = why;
        }
        return QString();
    };
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return fail(QStringLiteral("the address is empty; give one such as http://teletext.example:8080"));
    }
    // Checked on the raw text, before any parsing: wherever an @ stands, what comes before it may
    // be a password, and a user name or password has no business in a page address.
    if (trimmed.contains(QLatin1Char('@'))) {
        return fail(QStringLiteral("the address must not hold a user name or password"));
    }
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid()) {
        // Qt's error text quotes the whole input; ours is quoted once by the caller.
        QString reason = url.errorString();
        if (const qsizetype quote = reason.indexOf(QLatin1String("; source was")); quote >= 0) {
            reason.truncate(quote);
        }
        return fail(QStringLiteral("not a valid address: %1").arg(reason));
    }
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        return fail(QStringLiteral("the address must start with http:// or https://"));
    }
    if (url.host().isEmpty()) {
        return fail(QStringLiteral("the address has no host name"));
    }
    if (!url.path().isEmpty() && url.path() != QLatin1String("/")) {
        return fail(QStringLiteral("the address must not have a path (the page path is added by the program)"));
    }
    if (url.hasQuery() || url.hasFragment()) {
        return fail(QStringLiteral("the address must not have a query or fragment"));
    }
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment).toString(QUrl::FullyEncoded);
}

const QStringList &regionEditions()
{
    static const QStringList editions = {
        QStringLiteral("Nazionale"),  QStringLiteral("Abruzzo"),   QStringLiteral("Altoadige"),
        QStringLiteral("Basilicata"), QStringLiteral("Calabria"),  QStringLiteral("Campania"),
        QStringLiteral("Emilia"),     QStringLiteral("Friuli"),    QStringLiteral("Lazio"),
        QStringLiteral("Liguria"),    QStringLiteral("Lombardia"), QStringLiteral("Marche"),
        QStringLiteral("Molise"),     QStringLiteral("Piemonte"),  QStringLiteral("Puglia"),
        QStringLiteral("Sardegna"),   QStringLiteral("Sicilia"),   QStringLiteral("Toscana"),
        QStringLiteral("Trentino"),   QStringLiteral("Umbria"),    QStringLiteral("Aosta"),
        QStringLiteral("Veneto"),
    };
    return editions;
}
