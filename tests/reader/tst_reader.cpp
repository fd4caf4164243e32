#include "PermissionBits.h"
#include "TestImages.h"
#include "WindowFixture.h"
#include "customButton/customButton.h"
#include "reader/PageFile.h"
#include "reader/Reader.h"
#include "server/Catalogue.h"
#include "text/PageTextView.h"
#include "windows/Controls.h"
#include "windows/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace
{

// The entries of the menu that opens while `open` runs, as "text|shortcut|on" or "...|off", the
// separators as "-"; the menu is closed again at once.
QStringList menuOpenedBy(const std::function<void()> &open)
{
    QStringList entries;
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible() || seen) {
            return;
        }
        seen = true;
        for (QAction *action : menu->actions()) {
            entries << (action->isSeparator()
                            ? QStringLiteral("-")
                            : action->text() + QLatin1Char('|') +
                                  action->shortcut().toString(QKeySequence::PortableText) +
                                  (action->isEnabled() ? QStringLiteral("|on") : QStringLiteral("|off")));
        }
        menu->close();
    });
    poll.start(10);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
        if (auto *menu = QApplication::activePopupWidget()) {
            menu->close();
        }
    });
    giveUp.start(10000);
    open();
    return entries;
}

QImage rgb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

QString activeEntry(const History &history)
{
    const PageEntry &entry = history.entries().at(history.currentIndex());
    return entry.edition + QLatin1Char(' ') + entry.page + QLatin1Char('.') + entry.subpage;
}

} // namespace

// History, the picture's menu, copy, save and zoom, on the real main window.
class ReaderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_f.reset(); }

    void history_altArrowsGoBackAndForward_oneLoadEach();
    void history_acrossEditions_theEditionListLoadsNothingOfItsOwn();
    void history_mouseButtonsOverAnyControl();
    void history_subpageStepsAndTimersAddNothing();
    void history_aMissingPageOnTheWayBack_staysWhereItWas();

    void menu_entries_data();
    void menu_entries();
    void menu_noPageYet_copyAndSaveDisabled();
    void menu_opensFromTheMenuKeyAndShiftF10_onThePictureOnly();
    void menu_copyText_offUntilThePageIsRead_thenCopiesWhatWasRead();

    void copy_putsThePagePixelsOnTheClipboard();
    void copy_ctrlCOnlyWithThePictureFocused();
    void save_writesTheBytesTheServerSent();
    void save_cancelled_writesNothing();
    void save_failure_saysWhyInItalian();

    void zoom_geometry_data();
    void zoom_geometry();
    void zoom_modeChangedWhileZoomed();
    void zoom_keysWorkAnywhereAndTypeNothing();
    void zoom_pixelsAreExactBlocks_data();
    void zoom_pixelsAreExactBlocks();
    void zoom_keptAcrossRuns();
    void zoom_corruptSetting_opensAtOne();
    void zoom_unwritableSetting_stillZooms();

private:
    formpagiscopo &w() { return *m_f->window; }
    Reader &reader() { return w().reader(); }
    QStringList requested() const { return m_f->server.requestedPaths(); }
    void activate()
    {
        w().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w()));
    }
    void focus(QWidget *widget)
    {
        widget->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), widget);
    }
    void typePage(const QString &page)
    {
        w().pagpagiscopo->setText(page);
        w().vai_Click();
    }
    QString settingsPath() const { return m_f->platform.favouritesDir() + QStringLiteral("/pagiscopo.conf"); }
    // Until the page shown has been read, "Copia testo" is off whatever the page holds.
    void waitForReading()
    {
        PageTextView &text = w().textView();
        if (text.isReading()) {
            QSignalSpy read(&text, &PageTextView::pageRead);
            QVERIFY(read.wait(60000));
        }
    }
    void contextMenuEvent(QContextMenuEvent::Reason reason)
    {
        QContextMenuEvent event(reason, QPoint(40, 40), w().Picture1->mapToGlobal(QPoint(40, 40)));
        QApplication::sendEvent(w().Picture1, &event);
    }

    std::unique_ptr<WindowFixture> m_f;
};

void ReaderTest::init()
{
    m_f = std::make_unique<WindowFixture>();
    m_f->servePages({102, 540});
    m_f->server.serve(national(540, 2), pagePng(5402));
    m_f->server.serve(national(100, 2), pagePng(1002));
    m_f->server.serve(pagePath(QStringLiteral("Lazio"), QStringLiteral("100")), pagePng(7100));
}

void ReaderTest::history_altArrowsGoBackAndForward_oneLoadEach()
{
    m_f->openShown();
    activate();
    typePage(QStringLiteral("540"));
    w().OpenFavourite(4); // Notizie, page 102
    QCOMPARE(requested(), QStringList({national(540), national(102)}));
    m_f->server.clearRequests();

    focus(w().pagpagiscopo);
    QTest::keyClick(w().pagpagiscopo, Qt::Key_Left, Qt::AltModifier);
    QTest::keyClick(w().pagpagiscopo, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("100"));
    QTest::keyClick(w().pagpagiscopo, Qt::Key_Left, Qt::AltModifier); // nothing further back
    focus(w().vai);
    QTest::keyClick(w().vai, Qt::Key_Right, Qt::AltModifier);
    QTest::keyClick(w().vai, Qt::Key_Right, Qt::AltModifier);
    QTest::keyClick(w().vai, Qt::Key_Right, Qt::AltModifier); // nothing further forward
    QCOMPARE(requested(), QStringList({national(540), national(100), national(540), national(102)}));
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("102"));
    QCOMPARE(reader().history().entries().size(), 3);
    QCOMPARE(m_f->platform.beeps, 0);

    // A new page after going back drops what lay ahead.
    QTest::keyClick(w().vai, Qt::Key_Left, Qt::AltModifier);
    typePage(QStringLiteral("100"));
    QCOMPARE(reader().history().entries().size(), 3);
    QVERIFY(!reader().history().canGoForward());
    QCOMPARE(activeEntry(reader().history()), QStringLiteral("Nazionale 100.1"));
}

void ReaderTest::history_acrossEditions_theEditionListLoadsNothingOfItsOwn()
{
    m_f->openShown();
    activate();
    w().Combo1->setCurrentIndex(w().Combo1->findText(QStringLiteral("Lazio")));
    m_f->server.clearRequests();

    reader().goBack();
    QCOMPARE(requested(), QStringList{national(100)});
    QCOMPARE(w().Combo1->currentText(), QStringLiteral("Nazionale"));
    reader().goForward();
    QCOMPARE(requested(), QStringList({national(100), pagePath(QStringLiteral("Lazio"), QStringLiteral("100"))}));
    QCOMPARE(w().Combo1->currentText(), QStringLiteral("Lazio"));
    QCOMPARE(reader().history().entries().size(), 2);
}

void ReaderTest::history_mouseButtonsOverAnyControl()
{
    m_f->openShown();
    typePage(QStringLiteral("540"));
    m_f->server.clearRequests();

    QTest::mouseClick(w().Picture1, Qt::BackButton, {}, QPoint(100, 100));
    QCOMPARE(requested(), QStringList{national(100)});
    QTest::mouseClick(w().sport, Qt::ForwardButton, {}, QPoint(5, 5));
    QCOMPARE(requested(), QStringList({national(100), national(540)}));
    // Over the bare window too; the favourite under the pointer was not clicked.
    QTest::mouseClick(&w(), Qt::BackButton, {}, QPoint(515, 200));
    QCOMPARE(requested(), QStringList({national(100), national(540), national(100)}));
}

void ReaderTest::history_subpageStepsAndTimersAddNothing()
{
    m_f->open();
    typePage(QStringLiteral("540"));
    w().nextsottopag_Click();
    QCOMPARE(activeEntry(reader().history()), QStringLiteral("Nazionale 540.2"));
    w().Timer1_Timer();
    w().Timer2_Timer(); // 540.3 is missing: subpage 1
    QCOMPARE(requested(),
             QStringList({national(540), national(540, 2), national(540, 2), national(540, 3), national(540)}));
    QCOMPARE(reader().history().entries().size(), 2);
    QCOMPARE(activeEntry(reader().history()), QStringLiteral("Nazionale 540.1"));

    // Back keeps the subpage last shown there.
    w().nextsottopag_Click();
    reader().goBack();
    reader().goForward();
    QCOMPARE(requested().last(), national(540, 2));
}

void ReaderTest::history_aMissingPageOnTheWayBack_staysWhereItWas()
{
    m_f->open();
    typePage(QStringLiteral("540"));
    m_f->server.remove(national(100));
    reader().goBack(); // asked about, answered No
    QCOMPARE(m_f->platform.questions.size(), 1);
    QCOMPARE(activeEntry(reader().history()), QStringLiteral("Nazionale 540.1"));
    QVERIFY(reader().history().canGoBack());
    QVERIFY(!reader().history().canGoForward());
}

void ReaderTest::menu_entries_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("expected");
    const auto menu = [](bool copy, bool back, bool forward, bool in, bool out) {
        const auto state = [](bool on) { return on ? QStringLiteral("|on") : QStringLiteral("|off"); };
        // These pages are noise, with no text to read.
        return QStringList{QStringLiteral("&Copia immagine|Ctrl+C") + state(copy),
                           QStringLiteral("Copia &testo|Ctrl+Shift+C|off"),
                           QStringLiteral("&Salva immagine...|Ctrl+S") + state(copy),
                           QStringLiteral("-"),
                           QStringLiteral("&Indietro|Alt+Left") + state(back),
                           QStringLiteral("&Avanti|Alt+Right") + state(forward),
                           QStringLiteral("-"),
                           QStringLiteral("In&grandisci|Ctrl++") + state(in),
                           QStringLiteral("&Riduci|Ctrl+-") + state(out),
                           QStringLiteral("&Dimensioni originali|Ctrl+0") + state(out)};
    };
    QTest::newRow("at start") << "" << menu(true, false, false, true, false);
    QTest::newRow("a second page") << "540" << menu(true, true, false, true, false);
    QTest::newRow("gone back") << "540 back" << menu(true, false, true, true, false);
    QTest::newRow("between two") << "540 102 back" << menu(true, true, true, true, false);
    QTest::newRow("zoomed in") << "in" << menu(true, false, false, true, true);
    QTest::newRow("zoomed in fully") << "in in" << menu(true, false, false, false, true);
    QTest::newRow("zoomed back to x1") << "in out" << menu(true, false, false, true, false);
}

void ReaderTest::menu_entries()
{
    QFETCH(QString, steps);
    m_f->openShown();
    for (const QString &step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("back")) {
            reader().goBack();
        } else if (step == QLatin1String("in")) {
            reader().zoomIn();
        } else if (step == QLatin1String("out")) {
            reader().zoomOut();
        } else {
            typePage(step);
        }
    }
    waitForReading();
    QTEST(menuOpenedBy([this] { contextMenuEvent(QContextMenuEvent::Mouse); }), "expected");
}

void ReaderTest::menu_noPageYet_copyAndSaveDisabled()
{
    m_f->server.remove(national(100));
    m_f->openShown();
    activate();
    const QStringList entries = menuOpenedBy([this] { contextMenuEvent(QContextMenuEvent::Mouse); });
    QCOMPARE(entries.value(0), QStringLiteral("&Copia immagine|Ctrl+C|off"));
    QCOMPARE(entries.value(1), QStringLiteral("Copia &testo|Ctrl+Shift+C|off"));
    QCOMPARE(entries.value(2), QStringLiteral("&Salva immagine...|Ctrl+S|off"));
    QCOMPARE(entries.value(4), QStringLiteral("&Indietro|Alt+Left|off"));
    // Their keys do nothing either.
    focus(w().Picture1);
    QTest::keyClick(w().Picture1, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(w().Picture1, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(m_f->platform.copiedImages.isEmpty());
    QVERIFY(m_f->platform.saveDialogs.isEmpty());
}

void ReaderTest::menu_opensFromTheMenuKeyAndShiftF10_onThePictureOnly()
{
    m_f->openShown();
    activate();
    focus(w().Picture1);
    QCOMPARE(menuOpenedBy([this] { contextMenuEvent(QContextMenuEvent::Keyboard); }).size(), 10);
    QCOMPARE(menuOpenedBy([this] { QTest::keyClick(w().Picture1, Qt::Key_F10, Qt::ShiftModifier); }).size(), 10);

    focus(w().pagpagiscopo);
    QCOMPARE(menuOpenedBy([this] { QTest::keyClick(w().pagpagiscopo, Qt::Key_F10, Qt::ShiftModifier); }),
             QStringList());
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("100"));
}

void ReaderTest::menu_copyText_offUntilThePageIsRead_thenCopiesWhatWasRead()
{
    m_f->server.serve(national(200), Catalogue::renderPng(u"Nazionale", 200, 1, Catalogue::fixedTime()));
    m_f->openShown();
    waitForReading();
    activate();
    QAction *copyText = w().textView().copyTextAction();
    QList<bool> onWhenShown;
    connect(&w().pageLoader(), &PageLoader::pageShown, this, [&] { onWhenShown << copyText->isEnabled(); });
    const auto copyTextEntry = [this] {
        return menuOpenedBy([this] { contextMenuEvent(QContextMenuEvent::Mouse); }).value(1);
    };

    typePage(QStringLiteral("200"));
    QTRY_COMPARE(onWhenShown, QList<bool>{false});
    waitForReading();
    const QString text = w().textView().text();
    QCOMPARE(text.count(u'\n'), 25);
    QVERIFY2(text.contains(QLatin1String("SPORT")), qPrintable(text));
    QCOMPARE(copyTextEntry(), QStringLiteral("Copia &testo|Ctrl+Shift+C|on"));
    QTest::keyClick(&w(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_f->platform.copiedTexts, QStringList{text});
    // A noise page has no text: "Copia testo" is off once it is read, and the sample page's
    // text is gone with it.
    typePage(QStringLiteral("540"));
    QTRY_COMPARE(onWhenShown, QList<bool>({false, false}));
    waitForReading();
    QVERIFY(w().textView().text().isEmpty());
    QCOMPARE(copyTextEntry(), QStringLiteral("Copia &testo|Ctrl+Shift+C|off"));
    QTest::keyClick(&w(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_f->platform.copiedTexts.size(), 1);

    // Nor does a page left as soon as it is shown, most likely before its reading ends.
    typePage(QStringLiteral("200"));
    QTRY_COMPARE(onWhenShown.size(), 3);
    typePage(QStringLiteral("540"));
    waitForReading();
    QVERIFY(w().textView().text().isEmpty());
    QVERIFY(!copyText->isEnabled());
}

void ReaderTest::copy_putsThePagePixelsOnTheClipboard()
{
    m_f->openShown();
    typePage(QStringLiteral("540"));
    const QStringList entries = menuOpenedBy([this] { contextMenuEvent(QContextMenuEvent::Mouse); });
    QVERIFY(entries.value(0).endsWith(QLatin1String("|on")));
    reader().action(Reader::Command::Copy)->trigger();
    QCOMPARE(m_f->platform.copiedImages.size(), 1);
    QCOMPARE(rgb(m_f->platform.copiedImages.first()), rgb(QImage::fromData(pagePng(540))));
}

void ReaderTest::copy_ctrlCOnlyWithThePictureFocused()
{
    m_f->openShown();
    activate();
    focus(w().pagpagiscopo);
    QTest::keyClick(w().pagpagiscopo, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(m_f->platform.copiedImages.isEmpty());
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("100"));
    focus(w().Picture1);
    QTest::keyClick(w().Picture1, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(m_f->platform.copiedImages.size(), 1);
    QCOMPARE(rgb(m_f->platform.copiedImages.first()), rgb(QImage::fromData(pagePng(100))));
}

void ReaderTest::save_writesTheBytesTheServerSent()
{
    m_f->openShown();
    activate();
    QTemporaryDir target;
    const QString path = target.filePath(QStringLiteral("pagina.png"));
    m_f->platform.saveAnswers = {path};
    // From the page box: the key works anywhere in the window and types nothing.
    focus(w().pagpagiscopo);
    QTest::keyClick(w().pagpagiscopo, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_f->platform.saveDialogs.size(), 1);
    QCOMPARE(m_f->platform.saveDialogs[0].title, QStringLiteral("Salva immagine"));
    QCOMPARE(m_f->platform.saveDialogs[0].proposedPath,
             QDir(pictureFolder()).filePath(QStringLiteral("pagiscopo-Nazionale-100-1.png")));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), pagePng(100));
    QVERIFY(m_f->platform.warnings.isEmpty());
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("100"));

    // The name follows the page shown, subpage included.
    typePage(QStringLiteral("540"));
    w().nextsottopag_Click();
    m_f->platform.saveAnswers = {path};
    reader().savePicture();
    QCOMPARE(m_f->platform.saveDialogs[1].proposedPath,
             QDir(pictureFolder()).filePath(QStringLiteral("pagiscopo-Nazionale-540-2.png")));
    saved.close();
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), pagePng(5402));
}

void ReaderTest::save_cancelled_writesNothing()
{
    m_f->open();
    QTemporaryDir target;
    reader().savePicture(); // the dialog answers nothing
    QCOMPARE(m_f->platform.saveDialogs.size(), 1);
    QVERIFY(m_f->platform.warnings.isEmpty());
    QCOMPARE(QDir(target.path()).entryList(QDir::Files), QStringList());
}

void ReaderTest::save_failure_saysWhyInItalian()
{
    m_f->open();
    QTemporaryDir target;
    const QString path = target.filePath(QStringLiteral("manca/pagina.png"));
    m_f->platform.saveAnswers = {path};
    reader().savePicture();
    QCOMPARE(m_f->platform.warnings.size(), 1);
    QCOMPARE(m_f->platform.warnings[0].title, QStringLiteral("Salva immagine"));
    QVERIFY2(m_f->platform.warnings[0].text.startsWith(QStringLiteral("Impossibile salvare l'immagine: la cartella")),
             qPrintable(m_f->platform.warnings[0].text));
    QVERIFY(!QFileInfo::exists(path));
}

void ReaderTest::zoom_geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<bool>("imageOnly");
    QTest::addColumn<QRect>("expected");
    // How each control moves: 'g' the picture grows, 'r' right by the growth, 'd' down by it, 's' stays.
    struct Control {
        const char *name;
        char moves;
        QRect x1;
    };
    const Control controls[] = {
        {"Picture1", 'g', {8, 8, 364, 404}},
        {"About", 'r', {392, 352, 97, 17}},
        {"Combo1", 'r', {392, 392, 81, 21}},
        {"Frame2", 'd', {8, 416, 473, 49}},
        {"numsottopag", 'r', {464, 152, 41, 21}},
        {"indietro", 'r', {392, 80, 49, 41}},
        {"avanti", 'r', {448, 80, 49, 41}},
        {"pagpagiscopo", 'r', {392, 32, 49, 33}},
        {"Frame1", 'r', {376, 192, 137, 153}},
        {"Frame3", 'r', {376, 8, 137, 177}},
        {"Label3", 'r', {392, 376, 97, 17}},
        // Inside the frames, which carry them along.
        {"sport", 's', {136, 16, 49, 25}},
        {"ultime", 's', {8, 16, 49, 25}},
        {"Tv", 's', {264, 16, 49, 25}},
        {"libero", 's', {392, 16, 65, 25}},
        {"tvoggi", 's', {320, 16, 65, 25}},
        {"ultimaora", 's', {64, 16, 65, 25}},
        {"calcio", 's', {192, 16, 65, 25}},
        {"Check1", 's', {8, 16, 121, 33}},
        {"scorri1", 's', {8, 56, 121, 33}},
        {"Refresh1", 's', {16, 96, 97, 17}},
        {"traybar1", 's', {16, 112, 97, 17}},
        {"soloimma", 's', {16, 128, 97, 17}},
        {"nextsottopag", 's', {48, 144, 41, 17}},
        {"backsottopag", 's', {8, 144, 41, 17}},
        {"vai", 's', {72, 24, 33, 33}},
        {"Label1", 's', {8, 128, 65, 17}},
    };
    for (const bool imageOnly : {false, true}) {
        for (const int zoom : {1, 2, 3}) {
            const int dx = (zoom - 1) * 360;
            const int dy = (zoom - 1) * 400;
            for (const Control &c : controls) {
                QRect expected = c.x1;
                if (c.moves == 'g') {
                    expected.setSize(c.x1.size() + QSize(dx, dy));
                } else if (c.moves == 'r') {
                    expected.translate(dx, 0);
                } else if (c.moves == 'd') {
                    expected.translate(0, dy);
                }
                QTest::addRow("%s x%d%s", c.name, zoom, imageOnly ? " image only" : "")
                    << QString::fromLatin1(c.name) << zoom << imageOnly << expected;
            }
            const QSize window = imageOnly ? QSize(377 + dx, 418 + dy) : QSize(519 + dx, 469 + dy);
            QTest::addRow("window x%d%s", zoom, imageOnly ? " image only" : "")
                << QStringLiteral("formpagiscopo") << zoom << imageOnly << QRect(QPoint(145, 52), window);
        }
    }
}

void ReaderTest::zoom_geometry()
{
    QFETCH(QString, name);
    QFETCH(int, zoom);
    QFETCH(bool, imageOnly);
    QFETCH(QRect, expected);
    m_f->open();
    if (imageOnly) {
        w().soloimma_Click();
    }
    reader().setZoom(zoom);
    QCOMPARE(reader().zoom(), zoom);
    if (name == QLatin1String("formpagiscopo")) {
        QCOMPARE(w().pos(), expected.topLeft());
        QCOMPARE(w().minimumSize(), expected.size());
        QCOMPARE(w().maximumSize(), expected.size());
        QCOMPARE(w().size(), expected.size());
        return;
    }
    auto *control = w().findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), expected);
    if (name == QLatin1String("Picture1")) {
        QCOMPARE(w().Picture1->contentsRect().size(), QSize(360 * zoom, 400 * zoom));
    }
}

void ReaderTest::zoom_modeChangedWhileZoomed()
{
    m_f->open();
    reader().setZoom(3);
    w().soloimma_Click();
    QCOMPARE(w().size(), QSize(377 + 720, 418 + 800));
    reader().setZoom(2);
    QCOMPARE(w().size(), QSize(377 + 360, 418 + 400));
    w().soloimma_Click();
    QCOMPARE(w().size(), QSize(879, 869));
    reader().zoomReset();
    QCOMPARE(w().size(), QSize(519, 469));
    QVERIFY(!w().Frame1->isHidden());
}

void ReaderTest::zoom_keysWorkAnywhereAndTypeNothing()
{
    m_f->openShown();
    activate();
    focus(w().pagpagiscopo);
    QTest::keyClick(w().pagpagiscopo, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(reader().zoom(), 2);
    QCOMPARE(w().size(), QSize(879, 869));
    focus(w().numsottopag);
    QTest::keyClick(w().numsottopag, Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(reader().zoom(), 3);
    QTest::keyClick(w().numsottopag, Qt::Key_Plus, Qt::ControlModifier); // already at x3
    QCOMPARE(reader().zoom(), 3);
    focus(w().sport);
    QTest::keyClick(w().sport, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(reader().zoom(), 2);
    focus(w().Picture1);
    QTest::keyClick(w().Picture1, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(reader().zoom(), 1);
    QCOMPARE(w().size(), QSize(519, 469));

    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("100"));
    QCOMPARE(w().subpageText(), QStringLiteral("1"));
    QCOMPARE(requested(), QStringList());
}

void ReaderTest::zoom_pixelsAreExactBlocks_data()
{
    QTest::addColumn<int>("zoom");
    QTest::newRow("x1") << 1;
    QTest::newRow("x2") << 2;
    QTest::newRow("x3") << 3;
}

void ReaderTest::zoom_pixelsAreExactBlocks()
{
    QFETCH(int, zoom);
    m_f->openShown();
    reader().setZoom(zoom);
    const QImage page = QImage::fromData(pagePng(100));
    const QImage shot = w().Picture1->grab().toImage();
    QCOMPARE(shot.devicePixelRatio(), 1.0);
    const QImage expected = page.scaled(page.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QCOMPARE(rgb(shot.copy(QRect(QPoint(2, 2), expected.size()))), rgb(expected));
}

void ReaderTest::zoom_keptAcrossRuns()
{
    m_f->open();
    reader().zoomIn();
    QCOMPARE(QSettings(settingsPath(), QSettings::IniFormat).value(QStringLiteral("view/zoom")).toInt(), 2);
    m_f->window.reset();
    m_f->open();
    QCOMPARE(reader().zoom(), 2);
    QCOMPARE(w().size(), QSize(879, 869));
    QCOMPARE(w().Picture1->geometry(), QRect(8, 8, 724, 804));
    reader().zoomReset();
    m_f->window.reset();
    m_f->open();
    QCOMPARE(w().size(), QSize(519, 469));
}

void ReaderTest::zoom_corruptSetting_opensAtOne()
{
    QVERIFY(QDir().mkpath(m_f->platform.favouritesDir()));
    QFile file(settingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[view]\nzoom=9\n");
    file.close();
    m_f->open();
    QCOMPARE(reader().zoom(), 1);
    QCOMPARE(w().size(), QSize(519, 469));
}

void ReaderTest::zoom_unwritableSetting_stillZooms()
{
    // The configuration folder's place is taken by a file: nothing can be written there.
    const QString folder = m_f->platform.favouritesDir();
    QVERIFY(QDir().mkpath(QFileInfo(folder).absolutePath()));
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_f->open();
    reader().zoomIn();
    QCOMPARE(reader().zoom(), 2);
    QCOMPARE(w().size(), QSize(879, 869));
    m_f->window.reset();
    m_f->open();
    QCOMPARE(reader().zoom(), 1);
}

QTEST_MAIN(ReaderTest)
#include "tst_reader.moc"
