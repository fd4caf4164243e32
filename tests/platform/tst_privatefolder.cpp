#include "platform/PrivateFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

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

QTEST_GUILESS_MAIN(PrivateFolderTest)
#include "tst_privatefolder.moc"
