#include "reader/PageFile.h"

#include "reader/ReaderLog.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

namespace
{

QString plainText(const QString &text)
{
    QString plain = text;
    for (QChar &c : plain) {
        const bool keep =
            (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('_');
        if (!keep) {
            c = QLatin1Char('_');
        }
    }
    return plain;
}

// Why a file could not be created at `path`: the folder is looked at, and a file is tried in it,
// since only the attempt tells a folder that refuses this user from one on a full disk.
QString openFailure(const QString &path)
{
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    const QString shownFolder = QDir::toNativeSeparators(folder);
    const QFileInfo folderInfo(folder);
    if (!folderInfo.exists()) {
        return QStringLiteral("la cartella %1 non esiste").arg(shownFolder);
    }
    if (!folderInfo.isDir()) {
        return QStringLiteral("%1 non è una cartella").arg(shownFolder);
    }
    if (target.isDir()) {
        return QStringLiteral("%1 è una cartella").arg(QDir::toNativeSeparators(path));
    }
    QByteArray probe = QFile::encodeName(folder + QStringLiteral("/.pagiscopo-XXXXXX"));
    const int fd = ::mkstemp(probe.data());
    if (fd >= 0) {
        ::close(fd);
        ::unlink(probe.constData());
        if (target.exists()) {
            return QStringLiteral("non è permesso sostituire il file %1").arg(QDir::toNativeSeparators(path));
        }
        return QStringLiteral("impossibile creare il file %1").arg(QDir::toNativeSeparators(path));
    }
    switch (errno) {
    case EACCES:
    case EPERM:
        return QStringLiteral("non è permesso scrivere nella cartella %1").arg(shownFolder);
    case EROFS:
        return QStringLiteral("la cartella %1 è in sola lettura").arg(shownFolder);
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("il disco è pieno");
    default:
        return QStringLiteral("impossibile scrivere nella cartella %1").arg(shownFolder);
    }
}

} // namespace

QString pageFileName(const PageEntry &page)
{
    return QStringLiteral("pagiscopo-%1-%2-%3.png")
        .arg(plainText(page.edition), plainText(page.page), plainText(page.subpage));
}

QString pictureFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) {
        return pictures;
    }
    return QDir::homePath();
}

QString writeWholeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const QString reason = openFailure(path);
        qCWarning(lcReader) << "cannot create" << path << ":" << file.errorString();
        return reason;
    }
    if (file.write(bytes) != bytes.size()) {
        qCWarning(lcReader) << "cannot write" << path << ":" << file.errorString();
        file.cancelWriting();
        return QStringLiteral("errore di scrittura in %1 (il disco potrebbe essere pieno)")
            .arg(QDir::toNativeSeparators(path));
    }
    if (!file.commit()) {
        qCWarning(lcReader) << "cannot complete" << path << ":" << file.errorString();
        return QStringLiteral("impossibile completare il file %1 (il disco potrebbe essere pieno)")
            .arg(QDir::toNativeSeparators(path));
    }
    return {};
}
