#include "PermissionBits.h"
#include "TestImages.h"
#include "WindowFixture.h"
#include "customButton/customButton.h"
#include "windows/Controls.h"
#include "windows/Form1.h"
#include "windows/PictureBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

#include <sys/stat.h>
#include <sys/sysmacros.h>

// The seven favourite buttons and the assign dialog on the real window, with the slot files in a
// temporary config folder and the pages on a loopback server.
class FavouritesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_f.reset(); }

    void freshInstallation_showsDefaultsAndLoadsTheirPages();
    void handEditedFile_pageAtNextClick_captionAfterRestart();
    void pageLine_reachesTheRequestUnchanged_data();
    void pageLine_reachesTheRequestUnchanged();
    void favourite_keepsTheSubpage();
    void folderOrFifoAtSlotName_countsAsNoFile_data();
    void folderOrFifoAtSlotName_countsAsNoFile();

    void lowerCaseM_opensTheDialogForItsSlot();
    void otherKeys_openNothing();
    void m_withAlwaysOnTop_clearsItBeforeTheDialog();

    void dialog_hasItsLayoutAndEmptyBoxes();
    void dialog_pageBoxTakesOnlyThreeDigits();
    void assign_writesTheFileAndTheCaption_data();
    void assign_writesTheFileAndTheCaption();
    void closing_writesNothing_data();
    void closing_writesNothing();
    void failedWrite_warnsAndLosesNothing_data();
    void failedWrite_warnsAndLosesNothing();

private:
    formpagiscopo &w() { return *m_f->window; }
    QString folder() const { return m_f->platform.favouritesDir(); }
    QString slotFile(int slot) const { return folder() + QStringLiteral("/%1pagina.txt").arg(slot); }
    void writeSlot(int slot, const QByteArray &bytes)
    {
        QVERIFY(QDir().mkpath(folder()));
        QFile file(slotFile(slot));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray slotBytes(int slot) const
    {
        QFile file(slotFile(slot));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
    }
    static void click(customButton *button) { QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center()); }
    QString lastRequest() const
    {
        const QStringList paths = m_f->server.requestedPaths();
        return paths.isEmpty() ? QString() : paths.last();
    }
    // Presses `key` on `button`; when the assign dialog opens, runs `act` on it, and closes it
    // afterwards if `act` did not. Returns whether the dialog opened.
    bool pressOn(customButton *button, char key, Qt::KeyboardModifiers modifiers,
                 const std::function<void(Form1 &)> &act);
    bool assignWithM(customButton *button, const QString &page, const QString &caption,
                     const std::function<void(Form1 &)> &afterClick = {});

    std::unique_ptr<WindowFixture> m_f;
};

void FavouritesTest::init()
{
    m_f = std::make_unique<WindowFixture>();
    m_f->servePages({102, 103, 200, 201, 220, 500, 505, 540});
}

bool FavouritesTest::pressOn(customButton *button, char key, Qt::KeyboardModifiers modifiers,
                             const std::function<void(Form1 &)> &act)
{
    bool opened = false;
    // A timer of this call only: it cannot fire once the call has returned.
    QTimer lookForDialog;
    lookForDialog.setSingleShot(true);
    connect(&lookForDialog, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<Form1 *>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        opened = true;
        act(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    lookForDialog.start(0);
    QTest::keyClick(button, key, modifiers);
    // Without a dialog the check runs here.
    for (int round = 0; round < 100 && lookForDialog.isActive(); ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return opened;
}

bool FavouritesTest::assignWithM(customButton *button, const QString &page, const QString &caption,
                                 const std::function<void(Form1 &)> &afterClick)
{
    return pressOn(button, 'm', {}, [&](Form1 &dialog) {
        QTest::keyClicks(dialog.Text1, page);
        QTest::keyClicks(dialog.Text2, caption);
        click(dialog.Assegna);
        if (afterClick) {
            afterClick(dialog);
        }
    });
}

void FavouritesTest::freshInstallation_showsDefaultsAndLoadsTheirPages()
{
    m_f->openShown();
    QList<customButton *> row = w().Frame2->findChildren<customButton *>();
    std::sort(row.begin(), row.end(), [](auto *a, auto *b) { return a->x() < b->x(); });
    QStringList captions;
    for (customButton *button : row) {
        captions << button->Caption();
    }
    QCOMPARE(captions, QStringList({"Notizie", "Ultim'ora", "Sport", "calcio", "T.V.", "Tv oggi sera", "Clicca m"}));

    QStringList expected;
    for (const int page : {102, 103, 200, 220, 500, 505}) {
        expected << national(page);
    }
    expected << national(505); // "Clicca m" reloads the page in the page box
    for (customButton *button : row) {
        click(button);
    }
    QCOMPARE(m_f->server.requestedPaths(), expected);
    QVERIFY(m_f->platform.questions.isEmpty());
    // Reading creates nothing.
    QVERIFY(!QFileInfo::exists(folder()));
}

void FavouritesTest::handEditedFile_pageAtNextClick_captionAfterRestart()
{
    m_f->openShown();
    writeSlot(4, "540\nMeteo\n"); // as an editor on Linux ends its lines
    click(w().ultime);
    QCOMPARE(lastRequest(), national(540));
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("540"));
    QCOMPARE(w().ultime->Caption(), QStringLiteral("Notizie"));

    writeSlot(4, "201\r\nBorsa\r\n");
    click(w().ultime);
    QCOMPARE(lastRequest(), national(201));

    m_f->open(); // the next start
    QCOMPARE(w().ultime->Caption(), QStringLiteral("Borsa"));
}

void FavouritesTest::pageLine_reachesTheRequestUnchanged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("pageBox");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QString>("caption");
    const QByteArray prefix = "/pagiscopo/pub/tt4web/Nazionale/page-";
    QTest::newRow("blanks and letters") << QByteArray(" 5a \r\nX") << " 5a " << prefix + "%205a%20.png"
                                        << "X";
    QTest::newRow("path characters") << QByteArray("../x?y#z\r\nY") << "../x?y#z" << prefix + "..%2Fx%3Fy%23z.png"
                                     << "Y";
    QByteArray binary("\x00\xff/..\r", 6);
    for (int i = 0; binary.size() < 2 * 1024 * 1024; ++i) {
        binary += char(i % 256);
    }
    // The second line runs up to the byte 10 (LF) of the count; \xff makes it all Windows-1252.
    QString controls;
    for (char16_t c = 0; c < 10; ++c) {
        controls += QChar(c);
    }
    // Read up to 1 MiB; the page box holds no more than 32767 characters, and the server refuses
    // so long an address (no target): the window says so, and asks nothing.
    QTest::newRow("a first line of 2 MiB")
        << QByteArray(2 * 1024 * 1024, '7') << QString(32767, QLatin1Char('7')) << QByteArray() << QString();
    QTest::newRow("binary, 2 MiB") << binary << QString::fromUtf8("\0ÿ/..", 6) << prefix + "%00%C3%BF%2F...png"
                                   << controls;
}

void FavouritesTest::pageLine_reachesTheRequestUnchanged()
{
    QFETCH(QByteArray, bytes);
    writeSlot(6, bytes);
    m_f->openShown();
    QTEST(w().sport->Caption(), "caption");
    click(w().sport);
    QTEST(w().pagpagiscopo->text(), "pageBox");
    QFETCH(QByteArray, target);
    if (target.isEmpty()) {
        QVERIFY(m_f->platform.questions.isEmpty());
        QCOMPARE(w().Picture1->notice(), QStringLiteral("Il server ha risposto 414"));
        return;
    }
    const QList<HttpFixture::Request> requests = m_f->server.requests();
    QVERIFY(!requests.isEmpty());
    QCOMPARE(requests.first().target, target);
}

void FavouritesTest::favourite_keepsTheSubpage()
{
    m_f->server.serve(national(200, 3), pagePng(2003));
    m_f->openShown();
    w().setSubpageText(QStringLiteral("3"));
    click(w().sport);
    QCOMPARE(m_f->server.requestedPaths(), QStringList{national(200, 3)});
    QCOMPARE(w().subpageText(), QStringLiteral("3"));
}

void FavouritesTest::folderOrFifoAtSlotName_countsAsNoFile_data()
{
    QTest::addColumn<bool>("fifo");
    QTest::newRow("folder") << false;
    QTest::newRow("FIFO") << true;
}

void FavouritesTest::folderOrFifoAtSlotName_countsAsNoFile()
{
    QFETCH(bool, fifo);
    QVERIFY(QDir().mkpath(folder()));
    for (int logged = 0; logged < 2; ++logged) { // at start-up and at the click
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("7pagina.txt.*not a regular file")));
    }
    const QByteArray name = QFile::encodeName(slotFile(7));
    QVERIFY(fifo ? ::mkfifo(name.constData(), 0600) == 0 : QDir().mkdir(slotFile(7)));
    m_f->openShown();
    QCOMPARE(w().calcio->Caption(), QStringLiteral("calcio"));
    click(w().calcio);
    QCOMPARE(lastRequest(), national(220));
}

void FavouritesTest::lowerCaseM_opensTheDialogForItsSlot()
{
    m_f->openShown();
    int slot = 0;
    for (customButton *button : {w().libero, w().tvoggi, w().Tv, w().ultime, w().ultimaora, w().sport, w().calcio}) {
        ++slot;
        qint16 seen = 0;
        QVERIFY2(pressOn(button, 'm', {}, [&](Form1 &) { seen = w().assignSlot; }), qPrintable(button->objectName()));
        QCOMPARE(seen, qint16(slot));
    }
}

void FavouritesTest::otherKeys_openNothing()
{
    m_f->openShown();
    const auto nothing = [](Form1 &) {};
    QVERIFY(!pressOn(w().ultime, 'M', Qt::ShiftModifier, nothing));
    QVERIFY(!pressOn(w().ultime, 'n', {}, nothing));
    QVERIFY(!pressOn(w().ultime, 'm', Qt::ControlModifier, nothing));
    QVERIFY(m_f->server.requestedPaths().isEmpty());
}

void FavouritesTest::m_withAlwaysOnTop_clearsItBeforeTheDialog()
{
    m_f->openShown();
    w().Check1->setChecked(true);
    bool tickedWhileOpen = true;
    QList<bool> callsWhileOpen;
    QVERIFY(pressOn(w().sport, 'm', {}, [&](Form1 &dialog) {
        tickedWhileOpen = w().Check1->isChecked();
        callsWhileOpen = m_f->platform.staysOnTopCalls;
        QVERIFY(dialog.isModal());
    }));
    QVERIFY(!tickedWhileOpen);
    QCOMPARE(callsWhileOpen, QList<bool>({true, false}));
    // Nothing puts it back afterwards.
    QVERIFY(!w().Check1->isChecked());
    QCOMPARE(m_f->platform.staysOnTopCalls, QList<bool>({true, false}));
}

void FavouritesTest::dialog_hasItsLayoutAndEmptyBoxes()
{
    m_f->openShown();
    for (int opening = 0; opening < 2; ++opening) {
        QVERIFY(pressOn(w().Tv, 'm', {}, [&](Form1 &dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Pagiscopo - Preferiti"));
            QVERIFY(dialog.windowIcon().availableSizes().contains(QSize(32, 32)));
            QCOMPARE(dialog.geometry(), QRect(275, 157, 209, 212));
            QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
            const Qt::WindowFlags flags = dialog.windowFlags();
            QVERIFY(flags & Qt::WindowCloseButtonHint);
            QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
            QStringList tabOrder;
            for (QWidget *next = dialog.Text1; tabOrder.size() < 3; next = next->nextInFocusChain()) {
                if (next->focusPolicy() & Qt::TabFocus) {
                    tabOrder << next->objectName();
                }
            }
            QCOMPARE(tabOrder, QStringList({"Text1", "Text2", "Assegna"}));
            QVERIFY(dialog.Text1->text().isEmpty());
            QVERIFY(dialog.Text2->text().isEmpty());
            QTest::keyClicks(dialog.Text1, QStringLiteral("12")); // forgotten at the next opening
            QTest::keyClicks(dialog.Text2, QStringLiteral("ab"));
        }));
    }
}

void FavouritesTest::dialog_pageBoxTakesOnlyThreeDigits()
{
    m_f->openShown();
    QVERIFY(pressOn(w().ultime, 'm', {}, [&](Form1 &dialog) {
        QLineEdit *box = dialog.Text1;
        QTest::keyClicks(box, QStringLiteral("5a-4 "));
        QCOMPARE(box->text(), QStringLiteral("54"));
        QCOMPARE(m_f->platform.beeps, 3);
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_f->platform.beeps, 5);
        QVERIFY(dialog.isVisible());
        QTest::keyClicks(box, QStringLiteral("01"));
        QCOMPARE(box->text(), QStringLiteral("540")); // a fourth character is refused, silently
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("54"));
        QCOMPARE(m_f->platform.beeps, 5);

        // Pasted text keeps its digits only, and must still fit.
        box->clear();
        QGuiApplication::clipboard()->setText(QStringLiteral(" 5x4\n0 "));
        box->paste();
        QCOMPARE(box->text(), QStringLiteral("540"));
        box->clear();
        QGuiApplication::clipboard()->setText(QStringLiteral("12345"));
        box->paste();
        QCOMPARE(box->text(), QString());

        // The caption box takes everything, at any length, and Enter there does nothing.
        QTest::keyClicks(dialog.Text2, QStringLiteral("Meteo & Co. - 24h!"));
        QTest::sendKeyEvent(QTest::Click, dialog.Text2, Qt::Key_Egrave, QStringLiteral("è"), {});
        const QString caption = QStringLiteral("Meteo & Co. - 24h!è");
        QTest::keyClick(dialog.Text2, Qt::Key_Return);
        QCOMPARE(dialog.Text2->text(), caption);
        QVERIFY(dialog.isVisible());
        QCOMPARE(m_f->platform.beeps, 5);
    }));
}

void FavouritesTest::assign_writesTheFileAndTheCaption_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("twice");
    QTest::newRow("540 Meteo, the first assignment") << "540"
                                                     << "Meteo" << QByteArray("540\r\nMeteo\r\n") << false;
    QTest::newRow("both boxes empty") << ""
                                      << "" << QByteArray("\r\n\r\n") << false;
    QTest::newRow("the same slot twice") << "201"
                                         << "Borsa" << QByteArray("201\r\nBorsa\r\n") << true;
}

void FavouritesTest::assign_writesTheFileAndTheCaption()
{
    QFETCH(QString, page);
    QFETCH(QString, caption);
    QFETCH(bool, twice);
    m_f->openShown();
    QVERIFY(!QFileInfo::exists(folder()));
    if (twice) {
        QVERIFY(assignWithM(w().ultime, QStringLiteral("540"), QStringLiteral("Meteo")));
        QCOMPARE(slotBytes(4), QByteArray("540\r\nMeteo\r\n"));
    }
    bool closed = false;
    QVERIFY(assignWithM(w().ultime, page, caption, [&](Form1 &dialog) { closed = !dialog.isVisible(); }));
    QVERIFY(closed);
    QTEST(slotBytes(4), "bytes");
    QCOMPARE(w().ultime->Caption(), caption);
    QVERIFY(m_f->server.requestedPaths().isEmpty()); // the dialog loads nothing
    QVERIFY(m_f->platform.warnings.isEmpty());

    click(w().ultime);
    QCOMPARE(w().pagpagiscopo->text(), page);
    if (!page.isEmpty()) {
        QCOMPARE(lastRequest(), national(page.toInt()));
    }
    m_f->open(); // after a restart
    QCOMPARE(w().ultime->Caption(), caption);
}

void FavouritesTest::closing_writesNothing_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("close box") << false;
    QTest::newRow("Escape") << true;
}

void FavouritesTest::closing_writesNothing()
{
    QFETCH(bool, escape);
    writeSlot(5, "103\r\nUltim'ora\r\n");
    m_f->openShown();
    bool closed = false;
    QVERIFY(pressOn(w().ultimaora, 'm', {}, [&](Form1 &dialog) {
        QTest::keyClicks(dialog.Text1, QStringLiteral("540"));
        QTest::keyClicks(dialog.Text2, QStringLiteral("Meteo"));
        if (escape) {
            QTest::keyClick(dialog.Text1, Qt::Key_Escape);
        } else {
            dialog.close();
        }
        closed = !dialog.isVisible();
    }));
    QVERIFY(closed);
    QCOMPARE(slotBytes(5), QByteArray("103\r\nUltim'ora\r\n"));
    QCOMPARE(w().ultimaora->Caption(), QStringLiteral("Ultim'ora"));
    QCOMPARE(QDir(folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"5pagina.txt"});
}

void FavouritesTest::failedWrite_warnsAndLosesNothing_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a file named pagiscopo") << "file at folder"
                                            << "c'è un file";
    QTest::newRow("a folder that cannot be created") << "locked parent"
                                                     << "non può essere creata: mancano i permessi";
    QTest::newRow("a read-only folder") << "read-only folder"
                                        << "mancano i permessi";
    QTest::newRow("a folder at the slot's name") << "folder at slot"
                                                 << "c'è una cartella";
    QTest::newRow("a device node at the slot's name") << "device at slot"
                                                      << "c'è un dispositivo";
    QTest::newRow("a FIFO at the slot's name") << "fifo at slot"
                                               << "c'è una pipe con nome (FIFO)";
    QTest::newRow("a link to a device") << "link to device"
                                        << "è un collegamento simbolico a ";
}

void FavouritesTest::failedWrite_warnsAndLosesNothing()
{
    QFETCH(QString, obstacle);
    const QString parent = QFileInfo(folder()).absolutePath();
    QVERIFY(QDir().mkpath(parent));
    QByteArray before = "<no file>";
    if (obstacle == QLatin1String("file at folder")) {
        QFile file(folder());
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (obstacle == QLatin1String("locked parent")) {
        QVERIFY(QFile::setPermissions(parent, QFile::ReadOwner | QFile::ExeOwner));
    } else if (obstacle == QLatin1String("read-only folder")) {
        before = "102\r\nNotizie\r\n";
        writeSlot(4, before);
        QVERIFY(QFile::setPermissions(folder(), QFile::ReadOwner | QFile::ExeOwner));
    } else if (obstacle == QLatin1String("folder at slot")) {
        QVERIFY(QDir().mkpath(slotFile(4)));
    } else if (obstacle == QLatin1String("fifo at slot")) {
        QVERIFY(QDir().mkpath(folder()));
        QCOMPARE(::mkfifo(QFile::encodeName(slotFile(4)).constData(), 0600), 0);
    } else if (obstacle == QLatin1String("device at slot") || obstacle == QLatin1String("link to device")) {
        QVERIFY(QDir().mkpath(folder()));
        // A node of the test's own folder with the numbers of /dev/null: nothing of the system
        // is at stake if the write goes wrong.
        const QString node =
            obstacle == QLatin1String("device at slot") ? slotFile(4) : parent + QStringLiteral("/null");
        if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
            QSKIP("cannot make a device node here; it takes CAP_MKNOD");
        }
        if (node != slotFile(4)) {
            QVERIFY(QFile::link(node, slotFile(4)));
        }
    }
    struct stat slotBefore = {};
    const bool special = obstacle.endsWith(QLatin1String(" at slot")) || obstacle == QLatin1String("link to device");
    if (special) {
        QCOMPARE(::lstat(QFile::encodeName(slotFile(4)).constData(), &slotBefore), 0);
    }
    if (special) {
        for (int logged = 0; logged < 2; ++logged) { // at start-up and at the last click
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("4pagina.txt.*not a regular file")));
        }
    }
    m_f->openShown();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot write the slot file.*4pagina.txt")));

    const PermissionBitsApply bitsCount;
    QVERIFY(bitsCount.ok());
    bool stillOpen = false;
    QString page;
    QString caption;
    QVERIFY(assignWithM(w().ultime, QStringLiteral("540"), QStringLiteral("Meteo"), [&](Form1 &dialog) {
        stillOpen = dialog.isVisible();
        page = dialog.Text1->text();
        caption = dialog.Text2->text();
    }));
    QFile::setPermissions(parent, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY(stillOpen);
    QCOMPARE(page, QStringLiteral("540"));
    QCOMPARE(caption, QStringLiteral("Meteo"));
    QCOMPARE(m_f->platform.warnings.size(), 1);
    const FakePlatform::Question warning = m_f->platform.warnings.first();
    QCOMPARE(warning.title, QStringLiteral("Pagiscopo - Preferiti"));
    QVERIFY2(warning.text.contains(slotFile(4)), qPrintable(warning.text));
    QFETCH(QString, reason);
    QVERIFY2(warning.text.contains(reason), qPrintable(warning.text));
    QCOMPARE(w().ultime->Caption(), QStringLiteral("Notizie"));
    if (special) {
        struct stat slotAfter = {};
        QCOMPARE(::lstat(QFile::encodeName(slotFile(4)).constData(), &slotAfter), 0);
        QCOMPARE(slotAfter.st_mode, slotBefore.st_mode);
        QCOMPARE(slotAfter.st_ino, slotBefore.st_ino);
        QCOMPARE(slotAfter.st_rdev, slotBefore.st_rdev);
    } else {
        QCOMPARE(slotBytes(4), before);
    }
    // The program goes on: the favourite still loads its page.
    click(w().ultime);
    QCOMPARE(lastRequest(), national(102));
}

QTEST_MAIN(FavouritesTest)
#include "tst_favourites.moc"
