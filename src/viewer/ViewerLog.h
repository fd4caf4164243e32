#pragma once

#include <QByteArray>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcViewer)
Q_DECLARE_LOGGING_CATEGORY(lcDownload)

// An address as a log line shows it: a page box filled from a hand-edited slot file can make it
// megabytes long, and the log needs only its start to be read.
inline QByteArray addressForLog(const QByteArray &address)
{
    constexpr qsizetype kShown = 160;
    return address.size() <= kShown ? address
                                    : address.left(kShown) + "...(" + QByteArray::number(address.size()) + " bytes)";
}
