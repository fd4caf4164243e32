#include "favourites/SlotFile.h"

#include "favourites/FavouritesLog.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Splits off the first line of `rest` and leaves `rest` just after its line end.
QByteArrayView takeLine(QByteArrayView &rest)
{
    qsizetype end = 0;
    while (end < rest.size() && rest[end] != '\r' && rest[end] != '\n') {
        ++end;
    }
    const QByteArrayView line = rest.first(end);
    qsizetype next = end;
    if (next < rest.size()) {
        next += (rest[next] == '\r' && next + 1 < rest.size() && rest[next + 1] == '\n') ? 2 : 1;
    }
    rest = rest.sliced(next);
    return line;
}

// The text of valid UTF-8 bytes, or nothing. A byte-order mark at the start (editors on Windows
// write one) is no part of the text.
std::optional<QString> strictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

// Removes line breaks from a value, so that the two-line file keeps two lines.
QString singleLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// What the user reads about a failed write, from the system's error number.
QString reasonFor(int error, const QString &fallback)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("mancano i permessi di scrittura");
    case EROFS:
        return QStringLiteral("il disco è in sola lettura");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("il disco è pieno");
    case EFBIG:
        return QStringLiteral("il file supera la dimensione consentita");
    case ENOTDIR:
    case EEXIST:
        return QStringLiteral("nel percorso della cartella c'è un file al posto di una cartella");
    case EISDIR:
        return QStringLiteral("al posto del file c'è una cartella con lo stesso nome");
    default:
        return fallback.isEmpty() && error != 0 ? errnoText(error) : fallback;
    }
}

// "un dispositivo", "una cartella", ...: what a file of this type is, for the user.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode)) {
        return QStringLiteral("una cartella");
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return QStringLiteral("un dispositivo");
    }
    if (S_ISFIFO(mode)) {
        return QStringLiteral("una pipe con nome (FIFO)");
    }
    if (S_ISSOCK(mode)) {
        return QStringLiteral("un socket");
    }
    return QStringLiteral("un file speciale");
}

// Where the slot file's bytes may go: the path itself (a regular file, or nothing yet), or the
// regular file a symbolic link leads to, which is replaced while the link stays. Anything else at
// that name is refused before anything is written: renaming a new file over it would destroy a
// device, a FIFO or whatever else a link points to, also outside the favourites folder.
std::optional<SlotWriteError> writeTarget(const QString &path, QString *target)
{
    const auto refusal = [&path](const QString &reason, const QString &detail) {
        return std::optional<SlotWriteError>(SlotWriteError{reason, path + QStringLiteral(": ") + detail});
    };
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    if (::lstat(name.constData(), &status) != 0) {
        const int error = errno;
        if (error == ENOENT) {
            *target = path;
            return std::nullopt;
        }
        return refusal(reasonFor(error, {}), QStringLiteral("cannot look at it: ") + errnoText(error));
    }
    if (S_ISREG(status.st_mode)) {
        *target = path;
        return std::nullopt;
    }
    if (!S_ISLNK(status.st_mode)) {
        if (S_ISDIR(status.st_mode)) {
            return refusal(reasonFor(EISDIR, {}), QStringLiteral("is a folder"));
        }
        return refusal(QStringLiteral("al posto del file c'è %1").arg(kindOf(status.st_mode)),
                       QStringLiteral("file type %1 is never replaced").arg(status.st_mode & S_IFMT, 0, 8));
    }

    const QString linkTarget = QFileInfo(path).symLinkTarget();
    if (::stat(name.constData(), &status) != 0) {
        const int error = errno;
        if (error == ENOENT) {
            // A file made at the far end would land wherever the link says, maybe in a folder the
            // user never meant for it; a broken link is more likely a mistake to be told about.
            return refusal(QStringLiteral("il file è un collegamento simbolico a %1, che non esiste").arg(linkTarget),
                           QStringLiteral("dangling link to ") + linkTarget);
        }
        if (error == ELOOP) {
            return refusal(QStringLiteral("il file è un collegamento simbolico che rimanda a se stesso"),
                           QStringLiteral("symbolic link loop"));
        }
        return refusal(reasonFor(error, {}), QStringLiteral("cannot follow the link: ") + errnoText(error));
    }
    if (!S_ISREG(status.st_mode)) {
        return refusal(QStringLiteral("il file è un collegamento simbolico a %1, che è %2")
                           .arg(linkTarget, kindOf(status.st_mode)),
                       QStringLiteral("links to %1 of file type %2, which is never replaced")
                           .arg(linkTarget)
                           .arg(status.st_mode & S_IFMT, 0, 8));
    }
    *target = QFileInfo(path).canonicalFilePath();
    if (target->isEmpty()) {
        return refusal(QStringLiteral("il collegamento simbolico a %1 non può essere seguito").arg(linkTarget),
                       QStringLiteral("cannot resolve the link to ") + linkTarget);
    }
    return std::nullopt;
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

SlotLines parseSlotFile(QByteArrayView bytes)
{
    QByteArrayView rest = bytes;
    const QByteArrayView page = takeLine(rest);
    const QByteArrayView caption = takeLine(rest);
    const std::optional<QString> pageText = strictUtf8(page);
    const std::optional<QString> captionText = strictUtf8(caption);
    if (pageText && captionText) {
        return {*pageText, *captionText};
    }
    return {decodeWindows1252(page), decodeWindows1252(caption)};
}

QByteArray formatSlotFile(const QString &page, const QString &caption)
{
    return singleLine(page).toUtf8() + "\r\n" + singleLine(caption).toUtf8() + "\r\n";
}

QString decodeWindows1252(QByteArrayView bytes)
{
    static constexpr std::array<char16_t, 32> high = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        *out++ = QChar(code >= 0x80 && code < 0xA0 ? high[code - 0x80] : char16_t(code));
    }
    return text;
}

QString slotFileName(int slot)
{
    return QString::number(slot) + QStringLiteral("pagina.txt");
}

QString slotFilePath(const QString &folder, int slot)
{
    return folder + QLatin1Char('/') + slotFileName(slot);
}

std::optional<SlotLines> readSlotFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    if (::stat(name.constData(), &status) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            qCWarning(lcFavourites) << "cannot look at the slot file" << path << errnoText(errno);
        }
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        qCWarning(lcFavourites) << path << "is not a regular file; the slot counts as having no file";
        return std::nullopt;
    }
    // Non-blocking and checked again once open: something else may have taken the name meanwhile,
    // and opening a FIFO for reading would wait for a writer.
    const FileDescriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        qCWarning(lcFavourites) << "cannot open the slot file" << path << errnoText(errno);
        return std::nullopt;
    }
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        qCWarning(lcFavourites) << path << "stopped being a regular file while it was opened";
        return std::nullopt;
    }
    if (status.st_size > kSlotFileReadLimit) {
        qCDebug(lcFavourites) << path << "has" << status.st_size << "bytes; reading the first" << kSlotFileReadLimit;
    }
    QByteArray bytes(qsizetype(qMin<qint64>(status.st_size, kSlotFileReadLimit)), Qt::Uninitialized);
    qsizetype size = 0;
    while (size < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + size, size_t(bytes.size() - size));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            qCWarning(lcFavourites) << "cannot read the slot file" << path << errnoText(errno);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        size += got;
    }
    return parseSlotFile(QByteArrayView(bytes).first(size));
}

std::optional<SlotWriteError> writeSlotFile(const QString &folder, int slot, const QString &page,
                                            const QString &caption)
{
    const auto failure = [](const QString &reason, const QString &detail) {
        return std::optional<SlotWriteError>(SlotWriteError{reason, detail});
    };

    const QFileInfo folderInfo(folder);
    if (folderInfo.exists() && !folderInfo.isDir()) {
        return failure(QStringLiteral("al posto della cartella %1 c'è un file con lo stesso nome").arg(folder),
                       QStringLiteral("%1 is a file, not a folder").arg(folder));
    }
    if (!folderInfo.exists()) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
        if (error) {
            return failure(QStringLiteral("la cartella %1 non può essere creata: %2")
                               .arg(folder, reasonFor(error.value(), errnoText(error.value()))),
                           QStringLiteral("cannot create %1: %2").arg(folder, errnoText(error.value())));
        }
    }

    const QString path = slotFilePath(folder, slot);
    QString target;
    if (std::optional<SlotWriteError> refused = writeTarget(path, &target)) {
        return refused;
    }
    // The new text goes to a temporary file beside the old one, which replaces it only once it is
    // complete on the disk. QSaveFile gives it the old file's permission bits.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        const int error = errno;
        return failure(reasonFor(error, file.errorString()), file.errorString());
    }
    const QByteArray bytes = formatSlotFile(page, caption);
    // Flushed and checked here: Qt 6.4's commit() reports success after a short write (a full
    // disk, a size limit), which would put a truncated file in place of the old one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const int error = errno;
        const QString detail = file.errorString();
        file.cancelWriting();
        return failure(reasonFor(error, detail), QStringLiteral("short write: %1").arg(detail));
    }
    // Looked at again just before the rename: the name may have been given to something else
    // while the text was written.
    QString targetNow;
    if (std::optional<SlotWriteError> refused = writeTarget(path, &targetNow)) {
        file.cancelWriting();
        return refused;
    }
    if (targetNow != target) {
        file.cancelWriting();
        return failure(QStringLiteral("il file è stato sostituito durante il salvataggio"),
                       QStringLiteral("%1 changed from %2 to %3 while it was written").arg(path, target, targetNow));
    }
    if (!file.commit()) {
        const int error = errno;
        return failure(reasonFor(error, file.errorString()), file.errorString());
    }
    return std::nullopt;
}
