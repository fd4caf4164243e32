#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The private folder of a running Pagiscopo is "pagiscopo-PID-XXXXXX" under $XDG_RUNTIME_DIR (or
// the temporary folder when there is none), mode 0700. The PID in the name lets a later run tell
// a folder left by a process that was killed or crashed from one that is still in use.

// Removes the folders of processes that no longer exist from `base` (empty: the usual base), then
// returns the QTemporaryDir template for this process's own folder. Only directories of exactly
// that name form, owned by this user and closed to others, are touched; nothing else in `base`.
QString preparePrivateFolder(const QString &base = QString());

// Removes the leftover folders from `base` as above; returns how many were removed.
int removeLeftoverPrivateFolders(const QString &base);

// Where the private folders may live, in the order they are tried: $XDG_RUNTIME_DIR when it is
// set, then the temporary folder.
QStringList privateFolderBases();

// Creates this process's private folder under the first of `bases` (empty: the usual ones) that
// takes it and a page image written into it, after removing the leftovers there. A runtime folder
// that is read-only or full thus leaves the page images to the temporary folder. Null when no base
// will do (logged).
std::unique_ptr<QTemporaryDir> createPrivateFolder(QStringList bases = {});
