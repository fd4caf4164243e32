#include "PagePaths.h"

#include <QRegularExpression>

QString pagePath(const QString &edition, const QString &page, const QString &subpage)
{
    return QStringLiteral("/pagiscopo/pub/tt4web/%1/page-%2%3.png")
        .arg(edition, page, subpage == QLatin1String("1") ? QString() : QLatin1Char('.') + subpage);
}

QString national(int page, int subpage)
{
    return pagePath(QStringLiteral("Nazionale"), QString::number(page), QString::number(subpage));
}

int nationalPage(const QString &path)
{
    static const QRegularExpression form(QStringLiteral("^/pagiscopo/pub/tt4web/Nazionale/page-(\\d+)\\.png$"));
    const QRegularExpressionMatch match = form.match(path);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QList<int> nationalPages(const QStringList &paths)
{
    QList<int> pages;
    for (const QString &path : paths) {
        if (const int page = nationalPage(path); page >= 0) {
            pages.append(page);
        }
    }
    return pages;
}
