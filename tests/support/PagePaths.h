#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Path of a page image on the teletext server, as the viewer asks for it.
QString pagePath(const QString &edition, const QString &page, const QString &subpage = QStringLiteral("1"));
QString national(int page, int subpage = 1);
// The page of a path national() builds; -1 for any other path.
int nationalPage(const QString &path);
// The pages of those paths, in their order, leaving out the others.
QList<int> nationalPages(const QStringList &paths);
