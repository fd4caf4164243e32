#pragma once

#include <QString>
#include <QStringList>

// The figures of reading the page pictures (links, text, time, memory), measured in a process of
// their own so that its memory is the reading's alone.

// Runs in the child: reads the pages of `set` ("sample", or a font family drawn by the bench) and
// prints one line of figures for textFigureRows().
int childText(const QString &set);

// The sets the bench measures: the sample server's pages and the monospace fonts at hand.
QStringList textSets();

// A field of /proc/self/status in KiB (VmRSS:, VmHWM:), -1 when it cannot be read.
qint64 statusKiB(const char *field);
