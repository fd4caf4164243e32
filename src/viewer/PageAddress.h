#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Address of one page image on the teletext server:
//   base + /pagiscopo/pub/tt4web/<edition>/page-<page>.png            (subpage exactly "1")
//   base + /pagiscopo/pub/tt4web/<edition>/page-<page>.<subpage>.png  (anything else, even empty)
// The texts go in as they are, except that anything but letters, digits, '-', '.' and '_' is
// percent-encoded, so a pasted text cannot step out of the page's path. An edition of "." or ".."
// would be a dot segment: there is no address for it, and the result is empty.
QByteArray pageAddress(const QString &base, const QString &edition, const QString &page, const QString &subpage);

// Percent-encodes everything but A-Z a-z 0-9 - . _ (UTF-8 first).
QByteArray encodeAddressText(const QString &text);

// Checks a server address given by the user and reduces it to scheme://host[:port]. Only http and
// https, a host, and no user name, password, path, query or fragment. On failure returns an empty
// string and says why; the reason never repeats the text.
QString normaliseServerBase(const QString &text, QString *error);

// The editions of the teletext service, in the order of the edition list; each name goes into the
// page address as written.
const QStringList &regionEditions();
