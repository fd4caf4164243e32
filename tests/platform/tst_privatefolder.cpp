#include "platform/PrivateFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <QScopeGuard>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// The id of a process that has certainly ended: a child that exits at once, reaped.
qint64 endedProcessId()
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

void makeFile(const QString &path, const QByteArray &content = "x")
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void makeFolder(const QString &path, mode_t mode = 0700)
{
    QVERIFY(QDir().mkpath(path));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

} // namespace

class PrivateFolderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leftovers_ofEndedRunsGo_allElseStays();
    void template_namesThisProcess();
    void folder_passesOverABaseThatTakesNoPage_data();
    void folder_passesOverABaseThatTakesNoPage();
    void folder_isNullWhenNoBaseTakesAPage();
};

void PrivateFolderTest::leftovers_ofEndedRunsGo_allElseStays()
{
    QTemporaryDir base;
    QTemporaryDir outside;
    QVERIFY(base.isValid() && outside.isValid());
    const QString ended = QString::number(endedProcessId());
    const QString own = QString::number(QCoreApplication::applicationPid());
    const auto at = [&base](const QString &name) { return base.filePath(name); };

    // Gone: private folders of an ended run, holding the page image or a link.
    makeFolder(at("pagiscopo-" + ended + "-aB3xY9"));
    makeFile(at("pagiscopo-" + ended + "-aB3xY9/imma.png"));
    makeFolder(at("pagiscopo-" + ended + "-Zz0000"));
    makeFile(outside.filePath("target"));
    QVERIFY(QFile::link(outside.filePath("target"), at("pagiscopo-" + ended + "-Zz0000/imma.png")));

    // Kept: everything else.
    const QStringList kept = {
        "pagiscopo-" + own + "-runnin",   // this very process
        "pagiscopo-1-initia",             // a process that exists
        "pagiscopo-" + ended + "-short",  // not our name form
        "pagiscopo-" + ended + "-open00", // readable by others: not a private folder
        "pagiscopo-" + ended + "-afile0", // a file, not a folder
        "pagiscopo-" + ended + "-alink0", // a link to a folder elsewhere
        "pagiscopo-" + ended + "-nested", // holds a folder: not one of ours
        "pagiscopo-aB3xY9",               // the name form without a process id
        "something-" + ended,
    };
    makeFolder(at(kept[0]));
    makeFolder(at(kept[1]));
    makeFolder(at(kept[2]));
    makeFolder(at(kept[3]), 0755);
    makeFile(at(kept[4]));
    makeFolder(outside.filePath("folder"));
    makeFile(outside.filePath("folder/imma.png"));
    QVERIFY(QFile::link(outside.filePath("folder"), at(kept[5])));
    makeFolder(at(kept[6]));
    makeFolder(at(kept[6] + "/inner"));
    makeFile(at(kept[6] + "/imma.png"));
    makeFolder(at(kept[7]));
    makeFolder(at(kept[8]));
    QStringList expected = kept;
    if (::geteuid() == 0) {
        // Only root can make a folder that belongs to someone else.
        const QString foreign = "pagiscopo-" + ended + "-nobody";
        makeFolder(at(foreign));
        QCOMPARE(::chown(QFile::encodeName(at(foreign)).constData(), 65534, 65534), 0);
        expected << foreign;
    }

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot empty the leftover folder .*nested")));
    QCOMPARE(removeLeftoverPrivateFolders(base.path()), 2);
    QStringList present = QDir(base.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    present.sort();
    expected.sort();
    QCOMPARE(present, expected);
    QVERIFY(QFile::exists(outside.filePath("target")));
    QVERIFY(QFile::exists(outside.filePath("folder/imma.png")));
    QVERIFY(QFile::exists(at(kept[6] + "/inner")));
    QVERIFY(QFile::exists(at(kept[6] + "/imma.png")));
}

void PrivateFolderTest::template_namesThisProcess()
{
    QTemporaryDir base;
    const QString pattern = preparePrivateFolder(base.path());
    QTemporaryDir mine(pattern);
    QVERIFY(mine.isValid());
    const QString name = QDir(mine.path()).dirName();
    const QRegularExpression form(
        QStringLiteral("^pagiscopo-%1-[A-Za-z0-9]{6}$").arg(QCoreApplication::applicationPid()));
    QVERIFY2(form.match(name).hasMatch(), qPrintable(name));
    // The folder of a live process is never taken for a leftover, not even by itself.
    QCOMPARE(removeLeftoverPrivateFolders(base.path()), 0);
    QVERIFY(QFileInfo::exists(mine.path()));
}

void PrivateFolderTest::folder_passesOverABaseThatTakesNoPage_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("read-only disk") << "read-only";
    QTest::newRow("full disk") << "full";
}

void PrivateFolderTest::folder_passesOverABaseThatTakesNoPage()
{
    // A small disk of its own, as a runtime folder on a read-only or full file system would be.
    QFETCH(QString, how);
    QTemporaryDir scratch;
    const QString runtime = scratch.filePath(QStringLiteral("runtime"));
    const QString temp = scratch.filePath(QStringLiteral("tmp"));
    makeFolder(runtime);
    makeFolder(temp);
    const QByteArray mountPoint = QFile::encodeName(runtime);
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k,mode=0700") != 0) {
        QSKIP(qPrintable(QStringLiteral("cannot mount a small disk here (%1)").arg(std::strerror(errno))));
    }
    const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
    if (how == QLatin1String("full")) {
        QFile filler(runtime + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
    } else {
        QCOMPARE(::mount("tmpfs", mountPoint.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k,mode=0700"), 0);
    }

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot keep the page images in")));
    const std::unique_ptr<QTemporaryDir> folder = createPrivateFolder({runtime, temp});
    QVERIFY(folder);
    QCOMPARE(QFileInfo(folder->path()).absolutePath(), QFileInfo(temp).absoluteFilePath());
    QFile page(folder->filePath(QStringLiteral("imma.png")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    QCOMPARE(page.write(QByteArray(60000, 'p')), qint64(60000));
    // Nothing of ours is left on the disk that was passed over.
    const QStringList left = QDir(runtime).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QVERIFY2(left.filter(QStringLiteral("pagiscopo-")).isEmpty(), qPrintable(left.join(u' ')));
}

void PrivateFolderTest::folder_isNullWhenNoBaseTakesAPage()
{
    QTemporaryDir scratch;
    const QString file = scratch.filePath(QStringLiteral("not-a-folder"));
    makeFile(file);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot keep the page images in")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no folder takes the page images")));
    QVERIFY(!createPrivateFolder({file}));
}

QTEST_GUILESS_MAIN(PrivateFolderTest)
#include "tst_privatefolder.moc"
