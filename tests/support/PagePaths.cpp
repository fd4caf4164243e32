#include "PagePaths.h"

QString pagePath(const QString &edition, const QString &page, const QString &subpage)
{
    return QStringLiteral("/pagiscopo/pub/tt4web/%1/page-%2%3.png")
        .arg(edition, page, subpage == QLatin1String("1") ? QString() : QLatin1Char('.') + subpage);
}

QString national(int page, int subpage)
{
    return pagePath(QStringLiteral("Nazionale"), QString::number(page), QString::number(subpage));
}
