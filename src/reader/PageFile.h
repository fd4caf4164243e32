#pragma once

#include "reader/History.h"

#include <QByteArray>
#include <QString>

// The name a saved page is offered under: pagiscopo-EDITION-PAGE-SUBPAGE.png. Anything but
// letters, digits, '-' and '_' in the texts (a page box filled from a hand-edited favourite) is
// written as '_', so the name stays one plain file name.
QString pageFileName(const PageEntry &page);

// The folder the save dialog opens in: the user's pictures folder, or the home folder where
// there is none.
QString pictureFolder();

// Writes `bytes` to `path` as a whole or not at all: an existing file is replaced only once the
// new one is complete, and a failure leaves no partial file behind. Returns the reason of a
// failure in Italian, empty on success.
QString writeWholeFile(const QString &path, const QByteArray &bytes);
