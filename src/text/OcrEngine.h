#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <sys/types.h>

class QImage;

// The text recogniser, a process of its own (src/text/pagiscopo-ocr.cpp) started on first use.
// Used from one thread at a time.
class OcrEngine
{
public:
    explicit OcrEngine(QString language = QStringLiteral("ita"));
    ~OcrEngine();
    OcrEngine(const OcrEngine &) = delete;
    OcrEngine &operator=(const OcrEngine &) = delete;

    // Reads a page normalised to dark ink on white and lays the characters out on the grid of
    // `cell`-sized cells: 25 rows of 40 characters, a space where nothing was read. Empty when the
    // recogniser failed (logged) or `cancelled` said so. A recogniser that could not start is not
    // tried again.
    QStringList readGrid(const QImage &normalised, QSize cell, const std::function<bool()> &cancelled);

    // The recogniser's peak memory so far, in KiB; -1 while it does not run.
    qint64 peakMemoryKiB() const;

    // Where the recogniser's program is looked for, first to last.
    static QStringList programPaths();

private:
    struct Symbol {
        QString text;
        int left, top, right, bottom;
    };
    bool start();
    // The recogniser's exit status, -1 when it did not exit by itself.
    int stop();
    bool exchange(const QImage &gray, const std::function<bool()> &cancelled, std::vector<Symbol> *symbols);
    bool readReply(void *data, size_t size, const std::function<bool()> &cancelled, bool *cancelSent);

    QString m_language;
    bool m_failed = false;
    pid_t m_pid = -1;
    int m_toEngine = -1;
    int m_fromEngine = -1;
};
