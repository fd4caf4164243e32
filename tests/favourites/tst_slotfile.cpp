#include "PermissionBits.h"
#include "favourites/SlotFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>
#include <memory>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

// The slot file's reader and writer: the bytes, the encodings, and what counts as a file.
class SlotFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void parse_readsTwoLines_data();
    void parse_readsTwoLines();
    void format_writesTwoCrLfLines_data();
    void format_writesTwoCrLfLines();

    void read_largeFile_stopsAfterOneMebibyte();
    void read_whatIsNoFile_data();
    void read_whatIsNoFile();
    void write_createsFolderAndReplacesWhole();
    void write_failingInTheMiddle_leavesTheOldFileWhole();
    void write_refusesWhatIsNoRegularFile_data();
    void write_refusesWhatIsNoRegularFile();
    void write_throughLinkToAFile_replacesTheTargetAndKeepsTheLink();
    void write_keepsThePermissionBits_data();
    void write_keepsThePermissionBits();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    static void writeBytes(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    static QByteArray readBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void SlotFileTest::parse_readsTwoLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("caption");
    const auto row = [](const char *name, QByteArray bytes, const QString &page, const QString &caption) {
        QTest::newRow(name) << bytes << page << caption;
    };
    row("CR LF", "540\r\nMeteo\r\n", "540", "Meteo");
    row("CR", "540\rMeteo\r", "540", "Meteo");
    row("LF", "540\nMeteo\n", "540", "Meteo");
    row("no line end", "540\r\nMeteo", "540", "Meteo");
    row("mixed", "540\nMeteo\r\nrest", "540", "Meteo");
    row("more than two lines", "540\r\nMeteo\r\n999\r\nAltro\r\n", "540", "Meteo");
    row("empty file", "", "", "");
    row("one line", "540", "540", "");
    row("one line ended", "540\r\n", "540", "");
    row("two empty lines", "\r\n\r\n", "", "");
    row("CR CR is an empty second line", "540\r\rMeteo", "540", "");
    row("LF CR is an empty second line", "540\n\rMeteo", "540", "");
    row("blanks and letters kept", " 5a \r\n  x  ", " 5a ", "  x  ");
    row("Windows-1252", "540\r\nCaff\xe8 \x80 \x93ok\x94\r\n", "540", QString::fromUtf8("Caffè € “ok”"));
    row("UTF-8", "540\r\nCaff\xc3\xa8 \xe2\x82\xac\r\n", "540", QString::fromUtf8("Caffè €"));
    row("UTF-8 byte-order mark",
        "\xef\xbb\xbf"
        "540\r\nMeteo",
        "540", "Meteo");
    // One line valid UTF-8, the other not: the file is in the Windows code page.
    row("UTF-8 only in part", "\xc3\xa8\r\n\xe8", QString::fromUtf8("Ã¨"), QString::fromUtf8("è"));
    row("binary", QByteArray("\x00\x01\xff\r\n\xfe\x00\x81", 8), QString::fromUtf8("\0\x01ÿ", 4),
        QString::fromUtf8("þ\0\u0081", 5));
}

void SlotFileTest::parse_readsTwoLines()
{
    QFETCH(QByteArray, bytes);
    const SlotLines lines = parseSlotFile(bytes);
    QTEST(lines.page, "page");
    QTEST(lines.caption, "caption");

    // The same through a file on the disk.
    writeBytes(path(QStringLiteral("4pagina.txt")), bytes);
    const std::optional<SlotLines> read = readSlotFile(path(QStringLiteral("4pagina.txt")));
    QVERIFY(read);
    QCOMPARE(*read, lines);
}

void SlotFileTest::format_writesTwoCrLfLines_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("captionReadBack");
    QTest::newRow("540 Meteo") << "540"
                               << "Meteo" << QByteArray("540\r\nMeteo\r\n") << "Meteo";
    QTest::newRow("both empty") << ""
                                << "" << QByteArray("\r\n\r\n") << "";
    QTest::newRow("accents in UTF-8") << "1" << QString::fromUtf8("Caffè €")
                                      << QByteArray("1\r\nCaff\xc3\xa8 \xe2\x82\xac\r\n")
                                      << QString::fromUtf8("Caffè €");
    QTest::newRow("pasted line breaks become blanks") << "2"
                                                      << "a\r\nb\nc" << QByteArray("2\r\na  b c\r\n") << "a  b c";
}

void SlotFileTest::format_writesTwoCrLfLines()
{
    QFETCH(QString, page);
    QFETCH(QString, caption);
    QTEST(formatSlotFile(page, caption), "bytes");
    const SlotLines back = parseSlotFile(formatSlotFile(page, caption));
    QCOMPARE(back.page, page);
    QTEST(back.caption, "captionReadBack");
}

void SlotFileTest::read_largeFile_stopsAfterOneMebibyte()
{
    const QString file = path(QStringLiteral("1pagina.txt"));
    writeBytes(file, QByteArray("540\r\nMeteo\r\n") + QByteArray(2 * 1024 * 1024, '\xff'));
    QCOMPARE(readSlotFile(file), std::optional(SlotLines{QStringLiteral("540"), QStringLiteral("Meteo")}));

    // A first line of 2 MiB: only its first MiB is read, and there is no second line.
    writeBytes(file, QByteArray(2 * 1024 * 1024, '7'));
    const std::optional<SlotLines> lines = readSlotFile(file);
    QVERIFY(lines);
    QCOMPARE(lines->page.size(), kSlotFileReadLimit);
    QCOMPARE(lines->caption, QString());
}

void SlotFileTest::read_whatIsNoFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("counts");
    QTest::newRow("regular file") << "file" << true;
    QTest::newRow("link to a regular file") << "link to file" << true;
    QTest::newRow("missing") << "missing" << false;
    QTest::newRow("missing folder") << "missing folder" << false;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("FIFO") << "fifo" << false;
    QTest::newRow("socket") << "socket" << false;
    QTest::newRow("link to a device") << "link to device" << false;
    QTest::newRow("dangling link") << "dangling link" << false;
    QTest::newRow("unreadable file") << "unreadable" << false;
}

void SlotFileTest::read_whatIsNoFile()
{
    QFETCH(QString, kind);
    QString slot = path(QStringLiteral("2pagina.txt"));
    const QString target = path(QStringLiteral("target.txt"));
    writeBytes(target, "505\r\nTv\r\n");
    int socketFd = -1;
    if (kind == QLatin1String("file")) {
        writeBytes(slot, "505\r\nTv\r\n");
    } else if (kind == QLatin1String("link to file")) {
        QVERIFY(QFile::link(target, slot));
    } else if (kind == QLatin1String("missing folder")) {
        slot = path(QStringLiteral("absent/2pagina.txt"));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(slot));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(slot).constData(), 0600), 0);
    } else if (kind == QLatin1String("socket")) {
        socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(slot);
        QVERIFY(size_t(name.size()) < sizeof(address.sun_path));
        std::copy(name.begin(), name.end(), address.sun_path);
        QCOMPARE(::bind(socketFd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    } else if (kind == QLatin1String("link to device")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), slot));
    } else if (kind == QLatin1String("dangling link")) {
        QVERIFY(QFile::link(path(QStringLiteral("nothing")), slot));
    } else if (kind == QLatin1String("unreadable")) {
        writeBytes(slot, "505\r\nTv\r\n");
        QVERIFY(QFile::setPermissions(slot, QFile::WriteOwner));
    }

    const PermissionBitsApply bitsCount;
    QVERIFY(bitsCount.ok());
    const std::optional<SlotLines> lines = readSlotFile(slot);
    if (socketFd >= 0) {
        ::close(socketFd);
    }
    QFETCH(bool, counts);
    QCOMPARE(lines.has_value(), counts);
    if (counts) {
        QCOMPARE(*lines, (SlotLines{QStringLiteral("505"), QStringLiteral("Tv")}));
    }
}

void SlotFileTest::write_createsFolderAndReplacesWhole()
{
    const QString folder = path(QStringLiteral("config/pagiscopo"));
    QCOMPARE(writeSlotFile(folder, 4, QStringLiteral("540"), QStringLiteral("Meteo")).has_value(), false);
    QCOMPARE(readBytes(folder + QStringLiteral("/4pagina.txt")), QByteArray("540\r\nMeteo\r\n"));

    QCOMPARE(writeSlotFile(folder, 4, QStringLiteral("1"), QStringLiteral("X")).has_value(), false);
    QCOMPARE(readBytes(folder + QStringLiteral("/4pagina.txt")), QByteArray("1\r\nX\r\n"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"4pagina.txt"});
}

void SlotFileTest::write_failingInTheMiddle_leavesTheOldFileWhole()
{
    const QString folder = path(QStringLiteral("pagiscopo"));
    QVERIFY(QDir().mkdir(folder));
    const QString file = folder + QStringLiteral("/4pagina.txt");
    writeBytes(file, "102\r\nNotizie\r\n");

    // Files of this process may grow to 100 bytes only: the caption's bytes fail half-way.
    rlimit before{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 100;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::optional<SlotWriteError> error =
        writeSlotFile(folder, 4, QStringLiteral("540"), QString(4096, QLatin1Char('M')));
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &before), 0);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(error);
    QVERIFY2(error->reason.contains(QStringLiteral("dimensione")), qPrintable(error->reason));
    QCOMPARE(readBytes(file), QByteArray("102\r\nNotizie\r\n"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"4pagina.txt"});
}

namespace
{

struct FileIdentity {
    mode_t mode = 0;
    ino_t inode = 0;
    dev_t device = 0;
    bool operator==(const FileIdentity &) const = default;
};

// What is at `path`, the link itself when it is one (lstat), or what a link leads to (stat).
FileIdentity identity(const QString &path, bool follow)
{
    struct stat status = {};
    const QByteArray name = QFile::encodeName(path);
    if ((follow ? ::stat(name.constData(), &status) : ::lstat(name.constData(), &status)) != 0) {
        return {};
    }
    return {status.st_mode, status.st_ino, status.st_rdev};
}

mode_t permissionBits(const QString &path)
{
    return identity(path, true).mode & 07777;
}

} // namespace

void SlotFileTest::write_refusesWhatIsNoRegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("device node") << "device"
                                 << "al posto del file c'è un dispositivo";
    QTest::newRow("FIFO") << "fifo"
                          << "al posto del file c'è una pipe con nome (FIFO)";
    QTest::newRow("socket") << "socket"
                            << "al posto del file c'è un socket";
    QTest::newRow("folder") << "folder"
                            << "al posto del file c'è una cartella";
    QTest::newRow("link to a device") << "link to device"
                                      << "collegamento simbolico a %1, che è un dispositivo";
    QTest::newRow("link to a FIFO") << "link to fifo"
                                    << "collegamento simbolico a %1, che è una pipe con nome";
    QTest::newRow("link to a folder") << "link to folder"
                                      << "collegamento simbolico a %1, che è una cartella";
    QTest::newRow("dangling link") << "dangling link"
                                   << "collegamento simbolico a %1, che non esiste";
    QTest::newRow("link to itself") << "link loop"
                                    << "rimanda a se stesso";
}

void SlotFileTest::write_refusesWhatIsNoRegularFile()
{
    QFETCH(QString, kind);
    const QString folder = path(QStringLiteral("pagiscopo"));
    QVERIFY(QDir().mkdir(folder));
    const QString slot = folder + QStringLiteral("/4pagina.txt");
    // Links point out of the favourites folder, where a careless write would do its damage; a
    // dangling one points there at nothing.
    const QString other = path(QStringLiteral("elsewhere"));
    const bool viaLink = kind.startsWith(QLatin1String("link to")) || kind == QLatin1String("dangling link");
    const QString special = viaLink ? other : slot;
    const QByteArray specialName = QFile::encodeName(special);

    int socketFd = -1;
    if (kind.endsWith(QLatin1String("device"))) {
        // The numbers of /dev/null, but a node of this folder: nothing of the system is at stake.
        if (::mknod(specialName.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
            QSKIP(qPrintable(QStringLiteral("cannot make a device node here (%1); it takes CAP_MKNOD")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)))));
        }
    } else if (kind.endsWith(QLatin1String("fifo"))) {
        QCOMPARE(::mkfifo(specialName.constData(), 0600), 0);
    } else if (kind == QLatin1String("socket")) {
        socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(specialName.size()) < sizeof(address.sun_path));
        std::copy(specialName.begin(), specialName.end(), address.sun_path);
        QCOMPARE(::bind(socketFd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    } else if (kind.endsWith(QLatin1String("folder"))) {
        QVERIFY(QDir().mkdir(special));
    }
    if (viaLink) {
        QVERIFY(QFile::link(other, slot));
    } else if (kind == QLatin1String("link loop")) {
        QCOMPARE(::symlink("4pagina.txt", QFile::encodeName(slot).constData()), 0);
    }
    const FileIdentity slotBefore = identity(slot, false);
    const FileIdentity otherBefore = identity(other, false);

    const std::optional<SlotWriteError> error =
        writeSlotFile(folder, 4, QStringLiteral("540"), QStringLiteral("Meteo"));
    if (socketFd >= 0) {
        ::close(socketFd);
    }

    QVERIFY(error);
    QFETCH(QString, reason);
    if (reason.contains(QLatin1String("%1"))) {
        reason = reason.arg(other);
    }
    QVERIFY2(error->reason.contains(reason), qPrintable(error->reason));
    QVERIFY2(error->detail.contains(slot), qPrintable(error->detail));
    QCOMPARE(identity(slot, false), slotBefore);
    QCOMPARE(identity(other, false), otherBefore);
    if (viaLink) {
        QCOMPARE(QFileInfo(slot).symLinkTarget(), other);
    }
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{"4pagina.txt"});
}

void SlotFileTest::write_throughLinkToAFile_replacesTheTargetAndKeepsTheLink()
{
    // Configuration kept in a folder of its own and linked into place.
    const QString folder = path(QStringLiteral("pagiscopo"));
    const QString dotfiles = path(QStringLiteral("dotfiles"));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(QDir().mkdir(dotfiles));
    const QString target = dotfiles + QStringLiteral("/notizie.txt");
    const QString slot = folder + QStringLiteral("/4pagina.txt");
    writeBytes(target, "102\r\nNotizie\r\n");
    QCOMPARE(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    QCOMPARE(::symlink("../dotfiles/notizie.txt", QFile::encodeName(slot).constData()), 0);

    QCOMPARE(writeSlotFile(folder, 4, QStringLiteral("540"), QStringLiteral("Meteo")).has_value(), false);

    QVERIFY(QFileInfo(slot).isSymLink());
    QCOMPARE(QFile::symLinkTarget(slot), target);
    QCOMPARE(readBytes(target), QByteArray("540\r\nMeteo\r\n"));
    QCOMPARE(permissionBits(target), mode_t(0640));
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{"4pagina.txt"});
    QCOMPARE(QDir(dotfiles).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{"notizie.txt"});
}

void SlotFileTest::write_keepsThePermissionBits_data()
{
    QTest::addColumn<uint>("bits");
    QTest::newRow("0600") << 0600u;
    QTest::newRow("0644") << 0644u;
    QTest::newRow("0640") << 0640u;
    QTest::newRow("0666") << 0666u;
}

void SlotFileTest::write_keepsThePermissionBits()
{
    QFETCH(uint, bits);
    const QString folder = path(QStringLiteral("pagiscopo"));
    QVERIFY(QDir().mkdir(folder));
    const QString slot = folder + QStringLiteral("/4pagina.txt");
    writeBytes(slot, "102\r\nNotizie\r\n");
    QCOMPARE(::chmod(QFile::encodeName(slot).constData(), mode_t(bits)), 0);

    QCOMPARE(writeSlotFile(folder, 4, QStringLiteral("540"), QStringLiteral("Meteo")).has_value(), false);
    QCOMPARE(readBytes(slot), QByteArray("540\r\nMeteo\r\n"));
    QCOMPARE(permissionBits(slot), mode_t(bits));
}

QTEST_GUILESS_MAIN(SlotFileTest)
#include "tst_slotfile.moc"
