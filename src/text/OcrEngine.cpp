#include "text/OcrEngine.h"

#include "text/CellGrid.h"
#include "text/TextLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace
{

bool writeAll(int fd, const void *data, size_t size)
{
    const auto *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t wrote = write(fd, bytes, size);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return false;
        }
        bytes += wrote;
        size -= size_t(wrote);
    }
    return true;
}

// Blank lines between the rows of the page the recogniser is given.
constexpr int kRowGap = 2;

} // namespace

OcrEngine::OcrEngine(QString language) : m_language(std::move(language)) {}

OcrEngine::~OcrEngine()
{
    stop();
}

QStringList OcrEngine::programPaths()
{
    QStringList paths;
    // Installed: <prefix>/bin/pagiscopo and <prefix>/<libexecdir>/pagiscopo/pagiscopo-ocr.
    const QString appDir = QCoreApplication::applicationDirPath();
    if (!appDir.isEmpty()) {
        paths << QDir::cleanPath(appDir + QStringLiteral("/../" PAGISCOPO_OCR_INSTALL_DIR "/pagiscopo-ocr"));
    }
#ifdef PAGISCOPO_OCR_BUILD_PATH
    // A build tree's programs and tests, wherever they are in it.
    paths << QStringLiteral(PAGISCOPO_OCR_BUILD_PATH);
#endif
    return paths;
}

bool OcrEngine::start()
{
    if (m_pid > 0) {
        return true;
    }
    if (m_failed) {
        return false;
    }
    m_failed = true;
    QString program;
    for (const QString &candidate : programPaths()) {
        if (QFileInfo(candidate).isExecutable()) {
            program = candidate;
            break;
        }
    }
    if (program.isEmpty()) {
        qCWarning(lcText) << "the text recogniser is in none of" << programPaths() << "; pages are not read";
        return false;
    }
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) {
        qCWarning(lcText) << "cannot start the text recogniser:" << std::strerror(errno);
        return false;
    }
    if (pipe2(out, O_CLOEXEC) != 0) {
        qCWarning(lcText) << "cannot start the text recogniser:" << std::strerror(errno);
        close(in[0]);
        close(in[1]);
        return false;
    }
    // One engine thread: the recogniser runs beside the program on a machine of few cores, and
    // the engine's threads would only wait on each other for a page this small.
    QList<QByteArray> environment;
    for (char **variable = environ; *variable; ++variable) {
        if (!QByteArray(*variable).startsWith("OMP_THREAD_LIMIT=")) {
            environment << QByteArray(*variable);
        }
    }
    environment << QByteArrayLiteral("OMP_THREAD_LIMIT=1");
    std::vector<char *> envp;
    for (QByteArray &variable : environment) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    const QByteArray path = QFile::encodeName(program);
    QByteArray language = m_language.toUtf8();
    char *argv[] = {const_cast<char *>(path.constData()), language.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    // Started from the reading thread, it inherits that thread's idle priority.
    const int failure = posix_spawn(&m_pid, path.constData(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    if (failure != 0) {
        qCWarning(lcText) << "cannot start the text recogniser" << program << ":" << std::strerror(failure);
        close(in[1]);
        close(out[0]);
        m_pid = -1;
        return false;
    }
    m_toEngine = in[1];
    m_fromEngine = out[0];
    m_failed = false;
    qCInfo(lcText) << "text recogniser" << program << "started for" << m_language;
    return true;
}

int OcrEngine::stop()
{
    if (m_pid <= 0) {
        return -1;
    }
    // The end of its input ends it, even in the middle of a page.
    close(m_toEngine);
    close(m_fromEngine);
    m_toEngine = m_fromEngine = -1;
    int status = 0;
    for (int waited = 0; waited < 200; ++waited) {
        const pid_t done = waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid || done < 0) {
            const bool exited = done == m_pid && WIFEXITED(status);
            m_pid = -1;
            return exited ? WEXITSTATUS(status) : -1;
        }
        usleep(10000);
    }
    qCWarning(lcText) << "the text recogniser did not end with its input; it is killed";
    kill(m_pid, SIGKILL);
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    return -1;
}

qint64 OcrEngine::peakMemoryKiB() const
{
    if (m_pid <= 0) {
        return -1;
    }
    QFile status(QStringLiteral("/proc/%1/status").arg(m_pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}

bool OcrEngine::readReply(void *data, size_t size, const std::function<bool()> &cancelled, bool *cancelSent)
{
    auto *bytes = static_cast<char *>(data);
    while (size > 0) {
        pollfd reply{m_fromEngine, POLLIN, 0};
        const int ready = poll(&reply, 1, 20);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            // A newer page: the recogniser is told, and answers soon with "cancelled".
            if (!*cancelSent && cancelled()) {
                *cancelSent = true;
                if (!writeAll(m_toEngine, "C", 1)) {
                    return false;
                }
            }
            continue;
        }
        const ssize_t got = read(m_fromEngine, bytes, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        bytes += got;
        size -= size_t(got);
    }
    return true;
}

bool OcrEngine::exchange(const QImage &gray, const std::function<bool()> &cancelled, std::vector<Symbol> *symbols)
{
    // A recogniser that ended leaves a pipe that refuses what is written to it: that must fail
    // the write, not end the program with SIGPIPE.
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const auto restore = qScopeGuard([&] {
        const timespec now{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &now) == SIGPIPE) {
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    });
    const qint32 size[2] = {qint32(gray.width()), qint32(gray.height())};
    bool ok = writeAll(m_toEngine, "P", 1) && writeAll(m_toEngine, size, sizeof size);
    for (int y = 0; ok && y < gray.height(); ++y) {
        ok = writeAll(m_toEngine, gray.constScanLine(y), size_t(gray.width()));
    }
    bool cancelSent = false;
    qint32 head[2] = {0, 0};
    ok = ok && readReply(head, sizeof head, cancelled, &cancelSent);
    for (qint32 i = 0; ok && i < head[1]; ++i) {
        qint32 box[5];
        ok = readReply(box, sizeof box, cancelled, &cancelSent) && box[4] >= 0 && box[4] < 64;
        QByteArray utf8(box[4], '\0');
        ok = ok && readReply(utf8.data(), size_t(utf8.size()), cancelled, &cancelSent);
        if (ok) {
            symbols->push_back({QString::fromUtf8(utf8), box[0], box[1], box[2], box[3]});
        }
    }
    if (!ok) {
        if (stop() == 2) {
            // Its own message on the error output said why (no data for the language).
            qCWarning(lcText) << "the text recogniser cannot start for" << m_language << "(is tesseract-ocr-" +
                                     m_language + " installed?); pages are not read";
            m_failed = true;
        } else {
            qCWarning(lcText) << "the text recogniser ended unexpectedly; it is started again for the next page";
        }
        return false;
    }
    if (head[0] == 2) {
        qCWarning(lcText) << "the text recogniser could not read the page";
    }
    return head[0] == 0 && !cancelled();
}

QStringList OcrEngine::readGrid(const QImage &normalised, QSize cell, const std::function<bool()> &cancelled)
{
    if (normalised.isNull() || !cell.isValid() || !start()) {
        return {};
    }
    const QImage gray = normalised.convertToFormat(QImage::Format_Grayscale8);
    // The rows go to the recogniser apart: a descender that reaches the foot of its cell would
    // otherwise touch a capital in the cell below and make one blob of two characters of two
    // lines, which the engine reads as neither.
    const int pitch = cell.height() + kRowGap;
    QImage spaced(gray.width(), CellGrid::Rows * pitch, QImage::Format_Grayscale8);
    spaced.fill(255);
    for (int row = 0; row < CellGrid::Rows; ++row) {
        for (int y = 0; y < cell.height() && row * cell.height() + y < gray.height(); ++y) {
            std::copy_n(gray.constScanLine(row * cell.height() + y), gray.width(),
                        spaced.scanLine(row * pitch + kRowGap / 2 + y));
        }
    }
    std::vector<Symbol> symbols;
    if (!exchange(spaced, cancelled, &symbols)) {
        return {};
    }
    QStringList rows(CellGrid::Rows, QString(CellGrid::Columns, u' '));
    for (const Symbol &symbol : symbols) {
        if (symbol.text.isEmpty() || symbol.text.front().isSpace()) {
            continue;
        }
        // Each character in the cell its box's centre falls in; one that finds its cell taken
        // (two narrow characters read in one cell) takes the next free one.
        const int row = qBound(0, (symbol.top + symbol.bottom) / 2 / pitch, CellGrid::Rows - 1);
        int col = qBound(0, (symbol.left + symbol.right) / 2 / cell.width(), CellGrid::Columns - 1);
        QString &line = rows[row];
        for (QChar ch : symbol.text) {
            while (col < CellGrid::Columns && line.at(col) != u' ') {
                ++col;
            }
            if (col >= CellGrid::Columns) {
                break;
            }
            // The teletext character sets have straight quotes only; the engine's language model
            // prefers the typographic ones.
            if (ch == u'\u2018' || ch == u'\u2019') {
                ch = u'\'';
            } else if (ch == u'\u201c' || ch == u'\u201d' || ch == u'\u201e') {
                ch = u'"';
            }
            line[col++] = ch;
        }
    }
    return rows;
}
