#pragma once

#include "text/PageLinks.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// Reads the pages shown on a worker thread of its own, at the lowest priority, so that neither a
// page's display nor a command ever waits for it. Only the newest page counts: a page submitted
// while an older one is being read cancels that reading, and nothing of it is reported.
class TextRecogniser : public QObject
{
    Q_OBJECT

public:
    // The learned digits are kept in `settingsPath`; `language` is the recogniser's data.
    explicit TextRecogniser(QString settingsPath, QString language = QStringLiteral("ita"),
                            QObject *parent = nullptr);
    ~TextRecogniser() override;

    // Starts reading `picture`, which was asked for as page `page` (its header shows that number),
    // and returns the number of this reading, which the signals carry. The thread and the engine
    // start at the first call.
    quint64 submit(const QImage &picture, int page);
    // Drops the reading under way, if any (a page that is no longer shown).
    void cancel();

Q_SIGNALS:
    // In the thread of this object, for the newest reading only.
    void linksFound(quint64 reading, const QList<PageLink> &links);
    // The page's text; empty when it has none or could not be read.
    void textRead(quint64 reading, const QString &text);

private:
    struct Job {
        quint64 reading = 0;
        QImage picture;
        int page = 0;
    };
    void run();

    QString m_settingsPath;
    QString m_language;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Job> m_pending;
    bool m_stopping = false;
    // The newest reading asked for; a worker reading an older one gives up.
    std::atomic<quint64> m_newest{0};
    std::thread m_thread;
};
