#include "text/TextRecogniser.h"

#include "text/CellGrid.h"
#include "text/PageReader.h"
#include "text/TextLog.h"

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

void lowerThisThreadsPriority()
{
    // SCHED_IDLE runs only when nothing else wants the core; the nice value is a second line for
    // kernels that refuse it. Both are the calling thread's alone on Linux.
    sched_param param{};
    if (sched_setscheduler(0, SCHED_IDLE, &param) != 0) {
        qCWarning(lcText) << "cannot give the reading thread idle priority:" << std::strerror(errno);
    }
    if (setpriority(PRIO_PROCESS, pid_t(gettid()), 19) != 0) {
        qCWarning(lcText) << "cannot lower the reading thread's priority:" << std::strerror(errno);
    }
}

} // namespace

TextRecogniser::TextRecogniser(QString settingsPath, QString language, QObject *parent)
    : QObject(parent), m_settingsPath(std::move(settingsPath)), m_language(std::move(language))
{
    qRegisterMetaType<PageLink>();
}

TextRecogniser::~TextRecogniser()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_pending.reset();
    }
    ++m_newest;
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

quint64 TextRecogniser::submit(const QImage &picture, int page)
{
    const quint64 reading = ++m_newest;
    {
        const std::lock_guard lock(m_mutex);
        m_pending = Job{reading, picture, page};
        if (!m_thread.joinable()) {
            m_thread = std::thread([this] { run(); });
        }
    }
    m_wake.notify_all();
    return reading;
}

void TextRecogniser::cancel()
{
    ++m_newest;
    const std::lock_guard lock(m_mutex);
    m_pending.reset();
}

void TextRecogniser::run()
{
    lowerThisThreadsPriority();
    PageReader reader(m_settingsPath, m_language);
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || m_pending; });
            if (m_stopping) {
                return;
            }
            job = std::move(*m_pending);
            m_pending.reset();
        }
        const auto cancelled = [this, reading = job.reading] { return m_newest.load() != reading; };
        // Posted to this object's thread, where they arrive only while it lives and are dropped
        // there if a newer reading was asked for meanwhile.
        const auto post = [this, reading = job.reading](auto report) {
            QMetaObject::invokeMethod(
                this,
                [this, reading, report = std::move(report)] {
                    if (m_newest.load() == reading) {
                        report();
                    }
                },
                Qt::QueuedConnection);
        };
        const CellGrid grid(job.picture);
        job.picture = QImage();
        const QString text = reader.read(grid, job.page, cancelled, [&](const QList<PageLink> &links) {
            post([this, reading = job.reading, links] { Q_EMIT linksFound(reading, links); });
        });
        if (cancelled()) {
            qCDebug(lcText) << "reading of page" << job.page << "dropped for a newer page";
            continue;
        }
        if (text.isEmpty()) {
            qCInfo(lcText) << "no text read on page" << job.page;
        }
        post([this, reading = job.reading, text] { Q_EMIT textRead(reading, text); });
    }
}
