#pragma once

#include <QString>

// Path of a page image on the teletext server, as the viewer asks for it.
QString pagePath(const QString &edition, const QString &page, const QString &subpage = QStringLiteral("1"));
QString national(int page, int subpage = 1);
