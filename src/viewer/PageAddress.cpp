#include "viewer/PageAddress.h"

#include <QUrl>

QByteArray encodeAddressText(const QString &text)
{
    // toPercentEncoding keeps the unreserved set, which includes '~'; we keep only - . _
    return QUrl::toPercentEncoding(text, QByteArray("-._"), QByteArray("~"));
}

QByteArray pageAddress(const QString &base, const QString &edition, const QString &page, const QString &subpage)
{
    QByteArray address = base.toUtf8();
    address += "/pagiscopo/pub/tt4web/";
    address += encodeAddressText(edition);
    address += "/page-";
    address += encodeAddressText(page);
    if (subpage != QLatin1String("1")) {
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
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid()) {
        return fail(QStringLiteral("not a valid address: %1").arg(url.errorString()));
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
