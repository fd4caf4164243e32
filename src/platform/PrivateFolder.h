#pragma once

#include <QString>

// The private folder of a running Pagiscopo is "pagiscopo-PID-XXXXXX" under $XDG_RUNTIME_DIR (or
// the temporary folder when there is none), mode 0700. The PID in the name lets a later run tell
// a folder left by a process that was killed or crashed from one that is still in use.

// Removes the folders of processes that no longer exist from `base` (empty: the usual base), then
// returns the QTemporaryDir template for this process's own folder. Only directories of exactly
// that name form, owned by this user and closed to others, are touched; nothing else in `base`.
QString preparePrivateFolder(const QString &base = QString());

// Removes the leftover folders from `base` as above; returns how many were removed.
int removeLeftoverPrivateFolders(const QString &base);

// Where the private folders live: $XDG_RUNTIME_DIR, else the temporary folder.
QString privateFolderBase();
