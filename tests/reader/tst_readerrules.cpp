#include "PermissionBits.h"
#include "reader/History.h"
#include "reader/PageFile.h"
#include "reader/Zoom.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace
{

// Every line the reader logs while it lives.
class ReaderLogLines
{
public:
    ReaderLogLines()
    {
        s_lines.clear();
        m_previous = qInstallMessageHandler(&ReaderLogLines::handle);
    }
    ~ReaderLogLines() { qInstallMessageHandler(m_previous); }
    const QStringList &lines() const { return s_lines; }

private:
    static void handle(QtMsgType, const QMessageLogContext &context, const QString &message)
    {
        if (context.category && QByteArray(context.category) == "pagiscopo.reader") {
            s_lines.append(message);
        }
    }
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

// "Lazio:100.2" or "540" (the national edition, subpage 1).
PageEntry entryOf(const QString &text)
{
    PageEntry entry{QStringLiteral("Nazionale"), text, QStringLiteral("1")};
    QString rest = text;
    if (const qsizetype colon = rest.indexOf(QLatin1Char(':')); colon >= 0) {
        entry.edition = rest.left(colon);
        rest = rest.mid(colon + 1);
    }
    const qsizetype dot = rest.indexOf(QLatin1Char('.'));
    entry.page = dot >= 0 ? rest.left(dot) : rest;
    if (dot >= 0) {
        entry.subpage = rest.mid(dot + 1);
    }
    return entry;
}

QString textOf(const PageEntry &entry)
{
    const QString page = entry.page + QLatin1Char('.') + entry.subpage;
    return entry.edition == QLatin1String("Nazionale") ? page : entry.edition + QLatin1Char(':') + page;
}

// The entries, the current one in brackets.
QString describe(const History &history)
{
    QStringList parts;
    for (qsizetype i = 0; i < history.entries().size(); ++i) {
        const QString text = textOf(history.entries()[i]);
        parts << (i == history.currentIndex() ? QLatin1Char('[') + text + QLatin1Char(']') : text);
    }
    return parts.join(QLatin1Char(' '));
}

// Plays what the window does: "c540" a command showed page 540, "t540.2" a timer showed it, "b"
// and "f" went back or forward and showed the entry ("b>540.1": and showed that instead).
void play(History &history, const QString &steps)
{
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QChar kind = step.front();
        if (kind == QLatin1Char('c')) {
            history.commandShown(entryOf(step.mid(1)));
        } else if (kind == QLatin1Char('t')) {
            history.unattendedShown(entryOf(step.mid(1)));
        } else {
            const std::optional<qsizetype> index =
                kind == QLatin1Char('b') ? history.backIndex() : history.forwardIndex();
            if (!index) {
                continue; // the command is disabled: nothing loads
            }
            const qsizetype shownAt = step.indexOf(QLatin1Char('>'));
            history.moveShown(*index, shownAt >= 0 ? entryOf(step.mid(shownAt + 1)) : history.entries()[*index]);
        }
    }
}

} // namespace

// The rules of the history, the zoom and its settings file, and the saved page's file.
class ReaderRulesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void history_data();
    void history();
    void history_keepsAtMostAHundred();

    void zoomedGeometry_data();
    void zoomedGeometry();
    void zoomSteps_stayWithinOneToThree();

    void zoomSetting_roundTrip();
    void zoomSetting_missingFile_isOneWithOneLine();
    void zoomSetting_nonsense_isOneWithOneLine_data();
    void zoomSetting_nonsense_isOneWithOneLine();
    void zoomSetting_unreadable_isOneWithOneLine();
    void zoomSetting_unwritable_failsAndKeepsTheOldFile();
    void zoomSetting_folderIsAFile_fails();

    void pageFileName_data();
    void pageFileName();
    void pictureFolder_isPicturesElseHome();
    void writeWholeFile_replacesAnExistingFile();
    void writeWholeFile_missingFolder_saysWhyAndWritesNothing();
    void writeWholeFile_readOnlyFolder_saysWhy();
    void writeWholeFile_fullDisk_leavesTheOldFileWhole();
};

void ReaderRulesTest::history_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("canGoBack");
    QTest::addColumn<bool>("canGoForward");

    QTest::newRow("nothing shown yet") << ""
                                       << "" << false << false;
    QTest::newRow("the first page is an entry") << "c100"
                                                << "[100.1]" << false << false;
    QTest::newRow("each new page is an entry") << "c100 c540 c102"
                                               << "100.1 540.1 [102.1]" << true << false;
    QTest::newRow("back twice") << "c100 c540 c102 b b"
                                << "[100.1] 540.1 102.1" << false << true;
    QTest::newRow("back and forward add nothing") << "c100 c540 c102 b b f f"
                                                  << "100.1 540.1 [102.1]" << true << false;
    QTest::newRow("back at the first entry does nothing") << "c100 c540 b b b"
                                                          << "[100.1] 540.1" << false << true;
    QTest::newRow("forward at the last entry does nothing") << "c100 c540 f"
                                                            << "100.1 [540.1]" << true << false;
    QTest::newRow("a new page after going back drops the forward entries") << "c100 c540 c102 b b c200"
                                                                           << "100.1 [200.1]" << true << false;
    QTest::newRow("a subpage step updates the entry") << "c100 c540 c540.2 c540.3"
                                                      << "100.1 [540.3]" << true << false;
    QTest::newRow("a subpage step back to 1 updates it too") << "c540.3 c540.1"
                                                             << "[540.1]" << false << false;
    QTest::newRow("a subpage step after going back keeps the forward entries") << "c100 c540 b c100.2"
                                                                               << "[100.2] 540.1" << false << true;
    QTest::newRow("the current page again changes nothing") << "c100 c540 b c100"
                                                            << "[100.1] 540.1" << false << true;
    QTest::newRow("auto-scroll updates the subpage") << "c100 c540 t540.2 t540.3"
                                                     << "100.1 [540.3]" << true << false;
    QTest::newRow("auto-refresh adds nothing") << "c100 c540 t540.1 t540.1"
                                               << "100.1 [540.1]" << true << false;
    QTest::newRow("a timer showing another page adds nothing") << "c100 t101"
                                                               << "[100.1]" << false << false;
    QTest::newRow("a timer adds nothing to an empty history") << "t100"
                                                              << "" << false << false;
    QTest::newRow("a timer after going back keeps the forward entries") << "c100 c540 b t100.1"
                                                                        << "[100.1] 540.1" << false << true;
    QTest::newRow("another edition is another page") << "c100 cLazio:100 cLazio:100.2"
                                                     << "100.1 [Lazio:100.2]" << true << false;
    QTest::newRow("going back keeps what was shown (a subpage gone)") << "c540.3 c100 b>540.1"
                                                                      << "[540.1] 100.1" << false << true;
    QTest::newRow("going forward keeps what was shown") << "c100 c540 b f>541.1"
                                                        << "100.1 [541.1]" << true << false;
}

void ReaderRulesTest::history()
{
    QFETCH(QString, steps);
    History history;
    play(history, steps);
    QTEST(describe(history), "expected");
    QTEST(history.canGoBack(), "canGoBack");
    QTEST(history.canGoForward(), "canGoForward");
}

void ReaderRulesTest::history_keepsAtMostAHundred()
{
    History history;
    for (int page = 100; page <= 250; ++page) {
        history.commandShown(entryOf(QString::number(page)));
    }
    QCOMPARE(history.entries().size(), History::kCapacity);
    QCOMPARE(history.entries().first().page, QStringLiteral("151"));
    QCOMPARE(history.entries().last().page, QStringLiteral("250"));
    QCOMPARE(history.currentIndex(), History::kCapacity - 1);

    // Back to the oldest and a new page: the forward entries go, the oldest stays.
    for (int i = 0; i < 150; ++i) {
        play(history, QStringLiteral("b"));
    }
    QCOMPARE(history.currentIndex(), 0);
    history.commandShown(entryOf(QStringLiteral("999")));
    QCOMPARE(describe(history), QStringLiteral("151.1 [999.1]"));
}

void ReaderRulesTest::zoomedGeometry_data()
{
    QTest::addColumn<QRect>("base");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QRect>("expected");
    const QRect picture(8, 8, 364, 404);

    QTest::newRow("picture x1") << picture << 1 << picture;
    QTest::newRow("picture x2") << picture << 2 << QRect(8, 8, 724, 804);
    QTest::newRow("picture x3") << picture << 3 << QRect(8, 8, 1084, 1204);
    QTest::newRow("right of it x1") << QRect(376, 8, 137, 177) << 1 << QRect(376, 8, 137, 177);
    QTest::newRow("right of it x2") << QRect(376, 8, 137, 177) << 2 << QRect(736, 8, 137, 177);
    QTest::newRow("right of it x3") << QRect(392, 392, 81, 21) << 3 << QRect(1112, 392, 81, 21);
    QTest::newRow("below it x2") << QRect(8, 416, 473, 49) << 2 << QRect(8, 816, 473, 49);
    QTest::newRow("below it x3") << QRect(8, 416, 473, 49) << 3 << QRect(8, 1216, 473, 49);
    QTest::newRow("right of and below it") << QRect(400, 420, 10, 10) << 2 << QRect(760, 820, 10, 10);
    QTest::newRow("touching its right edge stays") << QRect(371, 8, 5, 5) << 3 << QRect(371, 8, 5, 5);
}

void ReaderRulesTest::zoomedGeometry()
{
    QFETCH(QRect, base);
    QFETCH(int, zoom);
    QTEST(::zoomedGeometry(base, QRect(8, 8, 364, 404), zoom), "expected");
}

void ReaderRulesTest::zoomSteps_stayWithinOneToThree()
{
    QCOMPARE(zoomedIn(1), 2);
    QCOMPARE(zoomedIn(2), 3);
    QCOMPARE(zoomedIn(3), 3);
    QCOMPARE(zoomedOut(3), 2);
    QCOMPARE(zoomedOut(1), 1);
    QCOMPARE(zoomGrowth(1), QSize(0, 0));
    QCOMPARE(QSize(519, 469) + zoomGrowth(2), QSize(879, 869));
    QCOMPARE(QSize(519, 469) + zoomGrowth(3), QSize(1239, 1269));
    QCOMPARE(QSize(377, 418) + zoomGrowth(3), QSize(377 + 720, 418 + 800));
}

void ReaderRulesTest::zoomSetting_roundTrip()
{
    QTemporaryDir dir;
    // The folder does not exist yet: the first write makes it.
    const QString path = dir.filePath(QStringLiteral("config/pagiscopo/pagiscopo.conf"));
    for (const int zoom : {2, 3, 1}) {
        QVERIFY(writeZoomSetting(path, zoom));
        const ReaderLogLines log;
        QCOMPARE(readZoomSetting(path), zoom);
        QCOMPARE(log.lines(), QStringList());
    }
    // Replaced through a temporary file that is gone afterwards.
    QCOMPARE(QDir(dir.filePath(QStringLiteral("config/pagiscopo"))).entryList(QDir::Files),
             QStringList{QStringLiteral("pagiscopo.conf")});
}

void ReaderRulesTest::zoomSetting_missingFile_isOneWithOneLine()
{
    QTemporaryDir dir;
    const ReaderLogLines log;
    QCOMPARE(readZoomSetting(dir.filePath(QStringLiteral("pagiscopo.conf"))), 1);
    QCOMPARE(log.lines().size(), 1);
}

void ReaderRulesTest::zoomSetting_nonsense_isOneWithOneLine_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("no zoom in it") << QByteArray("[view]\nother=2\n");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("zero") << QByteArray("[view]\nzoom=0\n");
    QTest::newRow("four") << QByteArray("[view]\nzoom=4\n");
    QTest::newRow("negative") << QByteArray("[view]\nzoom=-2\n");
    QTest::newRow("a fraction") << QByteArray("[view]\nzoom=2.5\n");
    QTest::newRow("a word") << QByteArray("[view]\nzoom=grande\n");
    QTest::newRow("a list") << QByteArray("[view]\nzoom=2, 3\n");
    QTest::newRow("binary junk") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe[[[=\n=zoom", 26);
}

void ReaderRulesTest::zoomSetting_nonsense_isOneWithOneLine()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pagiscopo.conf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    const ReaderLogLines log;
    QCOMPARE(readZoomSetting(path), 1);
    QCOMPARE(log.lines().size(), 1);
    // A zoom chosen afterwards is written over it and read back.
    QVERIFY(writeZoomSetting(path, 2));
    QCOMPARE(readZoomSetting(path), 2);
    QCOMPARE(QSettings(path, QSettings::IniFormat).status(), QSettings::NoError);
}

void ReaderRulesTest::zoomSetting_unreadable_isOneWithOneLine()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pagiscopo.conf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[view]\nzoom=3\n");
    file.close();
    {
        const PermissionBitsApply bits;
        QVERIFY(bits.ok());
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        const ReaderLogLines log;
        QCOMPARE(readZoomSetting(path), 1);
        QCOMPARE(log.lines().size(), 1);
    }
    // A folder where the file should be cannot be read either.
    const QString folder = dir.filePath(QStringLiteral("folder.conf"));
    QVERIFY(QDir().mkpath(folder));
    const ReaderLogLines log;
    QCOMPARE(readZoomSetting(folder), 1);
    QCOMPARE(log.lines().size(), 1);
}

void ReaderRulesTest::zoomSetting_unwritable_failsAndKeepsTheOldFile()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("pagiscopo"));
    const QString path = folder + QStringLiteral("/pagiscopo.conf");
    QVERIFY(writeZoomSetting(path, 2));
    const PermissionBitsApply bits;
    QVERIFY(bits.ok());
    // The file could be written in place, but not replaced as a whole: the folder takes no new file.
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const ReaderLogLines log;
    QVERIFY(!writeZoomSetting(path, 3));
    QCOMPARE(log.lines().size(), 1);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[view]\nzoom=2\n"));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

void ReaderRulesTest::zoomSetting_folderIsAFile_fails()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("pagiscopo")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const ReaderLogLines log;
    QVERIFY(!writeZoomSetting(blocker.fileName() + QStringLiteral("/pagiscopo.conf"), 2));
    QCOMPARE(log.lines().size(), 1);
}

void ReaderRulesTest::pageFileName_data()
{
    QTest::addColumn<QString>("edition");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("subpage");
    QTest::addColumn<QString>("expected");
    QTest::newRow("national") << "Nazionale"
                              << "100"
                              << "1"
                              << "pagiscopo-Nazionale-100-1.png";
    QTest::newRow("region, subpage") << "Altoadige"
                                     << "540"
                                     << "12"
                                     << "pagiscopo-Altoadige-540-12.png";
    QTest::newRow("a path in a favourite's page") << "Nazionale"
                                                  << "../x"
                                                  << "1"
                                                  << "pagiscopo-Nazionale-___x-1.png";
    QTest::newRow("no subpage") << "Nazionale"
                                << "100"
                                << ""
                                << "pagiscopo-Nazionale-100-.png";
}

void ReaderRulesTest::pageFileName()
{
    QFETCH(QString, edition);
    QFETCH(QString, page);
    QFETCH(QString, subpage);
    QTEST(::pageFileName({edition, page, subpage}), "expected");
}

void ReaderRulesTest::pictureFolder_isPicturesElseHome()
{
    QTemporaryDir home;
    const auto restore = qScopeGuard([oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME"),
                                      hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME")] {
        qputenv("HOME", oldHome);
        if (hadConfig) {
            qputenv("XDG_CONFIG_HOME", oldConfig);
        } else {
            qunsetenv("XDG_CONFIG_HOME");
        }
    });
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    QVERIFY(QDir().mkpath(home.filePath(QStringLiteral(".config"))));
    QFile dirs(home.filePath(QStringLiteral(".config/user-dirs.dirs")));
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_PICTURES_DIR=\"$HOME/Immagini\"\n");
    dirs.close();

    // No such folder yet: the home folder.
    QCOMPARE(pictureFolder(), home.path());
    QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("Immagini"))));
    QCOMPARE(pictureFolder(), home.filePath(QStringLiteral("Immagini")));
}

void ReaderRulesTest::writeWholeFile_replacesAnExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.png"));
    QVERIFY(writeWholeFile(path, QByteArray(9000, 'a')).isEmpty());
    const QByteArray bytes = QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) + QByteArray(5000, '\xff');
    QCOMPARE(writeWholeFile(path, bytes), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("page.png")});
}

void ReaderRulesTest::writeWholeFile_missingFolder_saysWhyAndWritesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nowhere/page.png"));
    const QString reason = writeWholeFile(path, QByteArray(5000, 'a'));
    QVERIFY2(reason.contains(QStringLiteral("non esiste")), qPrintable(reason));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("nowhere"))));
}

void ReaderRulesTest::writeWholeFile_readOnlyFolder_saysWhy()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkpath(folder));
    const PermissionBitsApply bits;
    QVERIFY(bits.ok());
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const QString reason = writeWholeFile(folder + QStringLiteral("/page.png"), QByteArray(5000, 'a'));
    QVERIFY2(reason.contains(QStringLiteral("non è permesso")), qPrintable(reason));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

void ReaderRulesTest::writeWholeFile_fullDisk_leavesTheOldFileWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.png"));
    const QByteArray old(3000, 'o');
    QVERIFY(writeWholeFile(path, old).isEmpty());

    // A file size limit fails the write half-way, as a full disk would.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString reason = writeWholeFile(path, QByteArray(200000, 'n'));
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &previous), 0);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY2(!reason.isEmpty(), "the write did not fail");
    QVERIFY2(reason.contains(QStringLiteral("disco")), qPrintable(reason));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("page.png")});
}

QTEST_GUILESS_MAIN(ReaderRulesTest)
#include "tst_readerrules.moc"
