#include "platform/PrivateFolder.h"

#include "platform/PlatformLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Whether a process of that id exists. EPERM means it exists under another user: keep its folder.
bool processExists(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) {
        return false;
    }
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

// Empties and removes one leftover folder. Our folders only ever hold the page image file, so
// anything but plain files and links inside means it is not what we think: leave it.
bool removeFolder(int baseFd, const QByteArray &name)
{
    const int fd = ::openat(baseFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        qCWarning(lcPlatform) << "cannot open the leftover folder" << name << ":" << std::strerror(errno);
        return false;
    }
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    // Look first, remove after: a folder that turns out not to be ours keeps all it holds.
    QList<QByteArray> children;
    bool ok = true;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray child(entry->d_name);
        if (child == "." || child == "..") {
            continue;
        }
        struct stat st;
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode)) {
            qCWarning(lcPlatform) << "cannot empty the leftover folder" << name << "- it holds" << child;
            ok = false;
            break;
        }
        children.append(child);
    }
    for (const QByteArray &child : std::as_const(children)) {
        if (ok && ::unlinkat(fd, child.constData(), 0) != 0) {
            qCWarning(lcPlatform) << "cannot empty the leftover folder" << name << "at" << child << ":"
                                  << std::strerror(errno);
            ok = false;
        }
    }
    ::closedir(dir);
    if (ok && ::unlinkat(baseFd, name.constData(), AT_REMOVEDIR) != 0) {
        qCWarning(lcPlatform) << "cannot remove the leftover folder" << name << ":" << std::strerror(errno);
        ok = false;
    }
    return ok;
}

} // namespace

QStringList privateFolderBases()
{
    // $XDG_RUNTIME_DIR is per user and mode 0700; QTemporaryDir adds a unique 0700 folder below it.
    QStringList bases;
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) {
        bases << runtime;
    }
    const QString temp = QDir::tempPath();
    if (!bases.contains(temp)) {
        bases << temp;
    }
    return bases;
}

int removeLeftoverPrivateFolders(const QString &base)
{
    static const QRegularExpression pattern(QStringLiteral("^pagiscopo-([1-9][0-9]{0,9})-[A-Za-z0-9]{6}$"));
    const QByteArray basePath = QFile::encodeName(base);
    const int baseFd = ::open(basePath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (baseFd < 0) {
        qCWarning(lcPlatform) << "cannot look for leftover private folders in" << base << ":" << std::strerror(errno);
        return 0;
    }
    const QStringList names = QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    int removed = 0;
    for (const QString &name : names) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch()) {
            continue;
        }
        const qint64 pid = match.captured(1).toLongLong();
        if (pid == QCoreApplication::applicationPid() || processExists(pid)) {
            continue;
        }
        const QByteArray encoded = QFile::encodeName(name);
        struct stat st;
        if (::fstatat(baseFd, encoded.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
            qCDebug(lcPlatform) << "leaving" << name << "alone: not a private folder of this user";
            continue;
        }
        if (removeFolder(baseFd, encoded)) {
            qCInfo(lcPlatform) << "removed the private folder" << name << "left by a run that ended abnormally";
            ++removed;
        }
    }
    ::close(baseFd);
    return removed;
}

QString preparePrivateFolder(const QString &base)
{
    const QString dir = base.isEmpty() ? privateFolderBases().constFirst() : base;
    removeLeftoverPrivateFolders(dir);
    return dir + QStringLiteral("/pagiscopo-%1-XXXXXX").arg(QCoreApplication::applicationPid());
}

namespace
{

// A folder can be made on a full disk, and a file opened there; only writing tells. The probe is
// the size of a small page, so a disk with room for none is passed over.
bool takesAPageImage(const QTemporaryDir &dir, QString *why)
{
    QFile probe(dir.filePath(QStringLiteral("imma.png")));
    const QByteArray bytes(16 * 1024, '\0');
    const bool ok = probe.open(QIODevice::WriteOnly) && probe.write(bytes) == bytes.size() && probe.flush();
    *why = probe.errorString();
    probe.close();
    probe.remove();
    return ok;
}

} // namespace

std::unique_ptr<QTemporaryDir> createPrivateFolder(QStringList bases)
{
    if (bases.isEmpty()) {
        bases = privateFolderBases();
    }
    for (const QString &base : std::as_const(bases)) {
        auto dir = std::make_unique<QTemporaryDir>(preparePrivateFolder(base));
        QString why;
        if (!dir->isValid()) {
            why = dir->errorString();
        } else if (takesAPageImage(*dir, &why)) {
            qCDebug(lcPlatform) << "page images pass through" << dir->path();
            return dir;
        }
        qCWarning(lcPlatform) << "cannot keep the page images in" << base << ":" << why;
    }
    qCWarning(lcPlatform) << "no folder takes the page images; every page will say it cannot be saved";
    return nullptr;
}
