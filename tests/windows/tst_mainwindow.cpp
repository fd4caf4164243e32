#include "WindowFixture.h"
#include "customButton/customButton.h"
#include "modes/WindowModes.h"
#include "windows/Controls.h"
#include "windows/PictureBox.h"

#include <QAccessible>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <memory>

// The main window as it is built, and its three window modes, on the real window.
class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_f.reset(); }

    void controls_data();
    void controls();
    void tabOrder_followsTheDesign();
    void buttons_restoreTheirStoredLooks_data();
    void buttons_restoreTheirStoredLooks();
    void window_hasItsDesignValues();

    void alwaysOnTop_followsCheck1();
    void tray_hidesWithTipAndComesBackOnLeftPressOrRightRelease_data();
    void tray_hidesWithTipAndComesBackOnLeftPressOrRightRelease();
    void tray_otherMessagesChangeNothing();
    void tray_withoutNotificationArea_minimisesInstead();
    void tray_tipIsCutAt63Characters();
    void imageOnly_thereAndBack();
    void closing_removesTheTrayIcon();

private:
    formpagiscopo &w() { return *m_f->window; }
    std::unique_ptr<WindowFixture> m_f;
};

void MainWindowTest::init()
{
    m_f = std::make_unique<WindowFixture>();
    m_f->open();
}

void MainWindowTest::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");
    // Twips from the layout, divided by 15.
    const auto row = [](const char *name, const char *kind, const char *container, int x, int y, int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind) << QString::fromLatin1(container)
                            << QRect(x, y, w, h);
    };
    row("Picture1", "PictureBox", "formpagiscopo", 8, 8, 364, 404);
    row("About", "customButton", "formpagiscopo", 392, 352, 97, 17);
    row("Combo1", "QComboBox", "formpagiscopo", 392, 392, 81, 21);
    row("Frame2", "Frame", "formpagiscopo", 8, 416, 473, 49);
    row("sport", "customButton", "Frame2", 136, 16, 49, 25);
    row("ultime", "customButton", "Frame2", 8, 16, 49, 25);
    row("Tv", "customButton", "Frame2", 264, 16, 49, 25);
    row("libero", "customButton", "Frame2", 392, 16, 65, 25);
    row("tvoggi", "customButton", "Frame2", 320, 16, 65, 25);
    row("ultimaora", "customButton", "Frame2", 64, 16, 65, 25);
    row("calcio", "customButton", "Frame2", 192, 16, 65, 25);
    row("numsottopag", "QComboBox", "formpagiscopo", 464, 152, 41, 21);
    row("indietro", "PictureButton", "formpagiscopo", 392, 80, 49, 41);
    row("avanti", "PictureButton", "formpagiscopo", 448, 80, 49, 41);
    row("pagpagiscopo", "QLineEdit", "formpagiscopo", 392, 32, 49, 33);
    row("Frame1", "Frame", "formpagiscopo", 376, 192, 137, 153);
    row("Check1", "WrappingCheckBox", "Frame1", 8, 16, 121, 33);
    row("scorri1", "WrappingCheckBox", "Frame1", 8, 56, 121, 33);
    row("Refresh1", "customButton", "Frame1", 16, 96, 97, 17);
    row("traybar1", "customButton", "Frame1", 16, 112, 97, 17);
    row("soloimma", "customButton", "Frame1", 16, 128, 97, 17);
    row("Frame3", "Frame", "formpagiscopo", 376, 8, 137, 177);
    row("nextsottopag", "customButton", "Frame3", 48, 144, 41, 17);
    row("backsottopag", "customButton", "Frame3", 8, 144, 41, 17);
    row("vai", "customButton", "Frame3", 72, 24, 33, 33);
    row("Label1", "QLabel", "Frame3", 8, 128, 65, 17);
    row("Label3", "QLabel", "formpagiscopo", 392, 376, 97, 17);
}

void MainWindowTest::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    auto *control = w().findChild<QWidget *>(name);
    QVERIFY(control);
    QTEST(QString::fromLatin1(control->metaObject()->className()), "kind");
    QCOMPARE(control->parentWidget()->objectName(), container);
    QTEST(control->geometry(), "geometry");
    QVERIFY(!control->isHidden());
    // Screen readers name every control by its Italian caption or label.
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
    QVERIFY(accessible);
    QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(name));
}

void MainWindowTest::tabOrder_followsTheDesign()
{
    const QStringList expected = {"pagpagiscopo", "indietro", "avanti",   "numsottopag",  "sport",        "ultime",
                                  "Tv",           "libero",   "tvoggi",   "ultimaora",    "calcio",       "vai",
                                  "traybar1",     "Refresh1", "Combo1",   "backsottopag", "nextsottopag", "scorri1",
                                  "Check1",       "About",    "Picture1", "soloimma"};
    QStringList chain;
    QWidget *widget = w().pagpagiscopo;
    do {
        if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName())) {
            chain << widget->objectName();
            QVERIFY2(widget->focusPolicy() & Qt::TabFocus, qPrintable(widget->objectName()));
        }
        widget = widget->nextInFocusChain();
    } while (widget != w().pagpagiscopo);
    QCOMPARE(chain, expected);

    // The four controls within the page-management frame lie above it.
    const QObjectList stacking = w().children();
    for (const char *name : {"pagpagiscopo", "indietro", "avanti", "numsottopag"}) {
        QVERIFY2(stacking.indexOf(w().findChild<QWidget *>(name)) > stacking.indexOf(w().Frame3), name);
    }
}

void MainWindowTest::buttons_restoreTheirStoredLooks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("look");
    QTest::addColumn<int>("scheme");
    QTest::addColumn<quint32>("backColour");
    QTest::addColumn<bool>("bold");
    const quint32 face = 0x00D8E9EC;      // 236, 233, 216
    const quint32 favourite = 0x00FFC0C0; // 192, 192, 255
    QTest::newRow("About") << "About"
                           << "About" << 4 << 1 << face << false;
    for (const auto &[name, caption] : {std::pair{"sport", "Sport"},
                                        {"ultime", "Notizie"},
                                        {"Tv", "T.V."},
                                        {"libero", "Clicca m"},
                                        {"tvoggi", "Tv oggi sera"},
                                        {"ultimaora", "Ultim'ora"},
                                        // Start-up puts slot 7's lower-case default over "Calcio".
                                        {"calcio", "calcio"}}) {
        QTest::newRow(name) << name << caption << 3 << 2 << favourite << false;
    }
    QTest::newRow("Refresh1") << "Refresh1"
                              << "Ferma auto-refresh" << 3 << 1 << face << false;
    QTest::newRow("traybar1") << "traybar1"
                              << "Metti in TrayBar" << 3 << 1 << face << false;
    QTest::newRow("soloimma") << "soloimma"
                              << "Togli pulsanti" << 3 << 1 << face << false;
    QTest::newRow("nextsottopag") << "nextsottopag"
                                  << ">" << 5 << 1 << face << true;
    QTest::newRow("backsottopag") << "backsottopag"
                                  << "<" << 5 << 1 << face << true;
    QTest::newRow("vai") << "vai"
                         << "Vai" << 1 << 1 << face << false;
}

void MainWindowTest::buttons_restoreTheirStoredLooks()
{
    QFETCH(QString, name);
    m_f->openShown(); // a button draws when it is first shown at its size
    auto *button = w().findChild<customButton *>(name);
    QVERIFY(button);
    QTEST(button->Caption(), "caption");
    QTEST(button->ButtonType(), "look");
    QTEST(button->ColorScheme(), "scheme");
    QTEST(button->BackColor(), "backColour");
    QCOMPARE(button->ForeColor(), 0u);
    QVERIFY(button->Enabled());
    QVERIFY(button->ShowFocusRect());
    QCOMPARE(button->Font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(QFontInfo(button->Font()).pixelSize(), 11); // 8.25 pt at 96 dpi
    QTEST(button->Font().bold(), "bold");
    // Restored and sized: the surface holds the drawn picture at the button's size.
    QCOMPARE(button->surface().image().size(), button->size());
    QVERIFY(button->drawCount() > 0);
}

void MainWindowTest::window_hasItsDesignValues()
{
    QCOMPARE(w().windowTitle(), QStringLiteral("Pagiscopo 3.5 - zorvik"));
    QCOMPARE(w().minimumSize(), QSize(519, 469));
    QCOMPARE(w().maximumSize(), QSize(519, 469));
    QCOMPARE(w().geometry(), QRect(145, 52, 519, 469)); // the client area
    const Qt::WindowFlags flags = w().windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!w().windowIcon().isNull());
    QVERIFY(w().windowIcon().availableSizes().contains(QSize(32, 32)));

    QCOMPARE(w().Frame1->title(), QStringLiteral("Opzioni"));
    QCOMPARE(w().Frame2->title(), QStringLiteral("Preferiti"));
    QCOMPARE(w().Frame3->title(), QStringLiteral("Gestione Pagine"));
    QCOMPARE(w().Label1->text(), QStringLiteral("Sotto-pagina"));
    QCOMPARE(w().Label3->text(), QStringLiteral("Pagiscopo regionale"));
    QCOMPARE(w().Check1->text(), QStringLiteral("Sempre in primo piano"));
    QCOMPARE(w().scorri1->text(), QStringLiteral("Auto scorrimento sottopagine (10 sec.)"));
    QVERIFY(!w().Check1->isChecked());
    QVERIFY(!w().scorri1->isChecked());
    QCOMPARE(w().indietro->text(), QStringLiteral("indietro"));
    QCOMPARE(w().avanti->text(), QStringLiteral("avanti"));
    QCOMPARE(w().indietro->picture().size(), QSize(22, 22));
    QCOMPARE(w().avanti->picture().size(), QSize(22, 22));
    QCOMPARE(w().avanti->palette().color(QPalette::Button), QColor(Qt::white));
    // Tahoma 15.75 pt; how it draws is measured in tst_windowfonts.
    QCOMPARE(QFontInfo(w().pagpagiscopo->font()).pixelSize(), 21);
    QVERIFY(w().pagpagiscopo->font().bold());
    QVERIFY(!w().Combo1->isEditable());
    QVERIFY(w().numsottopag->isEditable());

    QCOMPARE(w().Timer1->interval(), 30000);
    QVERIFY(w().Timer1->isActive());
    QCOMPARE(w().Timer2->interval(), 10000);
    QVERIFY(!w().Timer2->isActive());
    QCOMPARE(w().Skinner1->property("borderstyleviejo").toInt(), 2);
    QCOMPARE(w().Skinner1->property("nombreform_paraborderstyleviejo").toString(), QStringLiteral("formpagiscopo"));
    QVERIFY(w().KeyPreview);
}

void MainWindowTest::alwaysOnTop_followsCheck1()
{
    w().Check1->setChecked(true);
    QCOMPARE(m_f->platform.staysOnTopCalls, QList<bool>{true});
    w().Check1->setChecked(true); // no change, no call
    w().Check1->setChecked(false);
    QCOMPARE(m_f->platform.staysOnTopCalls, QList<bool>({true, false}));

    // A click of the user's runs the same handler.
    m_f->openShown();
    QTest::mouseClick(w().Check1, Qt::LeftButton, {}, QPoint(60, 16));
    QVERIFY(w().Check1->isChecked());
    QCOMPARE(m_f->platform.staysOnTopCalls, QList<bool>({true, false, true}));

    // Where the window system cannot do it, the box still ticks and clears.
    m_f->platform.canStayOnTop = false;
    w().Check1->setChecked(false);
    QVERIFY(!w().Check1->isChecked());
}

void MainWindowTest::tray_hidesWithTipAndComesBackOnLeftPressOrRightRelease_data()
{
    QTest::addColumn<int>("message");
    QTest::newRow("left press") << 0x201;
    QTest::newRow("right release") << 0x205;
}

void MainWindowTest::tray_hidesWithTipAndComesBackOnLeftPressOrRightRelease()
{
    QFETCH(int, message);
    m_f->openShown();
    w().pagpagiscopo->setText(QStringLiteral("103"));
    QTest::mouseClick(w().traybar1, Qt::LeftButton, {}, QPoint(10, 8));
    QVERIFY(w().isHidden());
    QVERIFY(m_f->platform.trayIconShown);
    QCOMPARE(m_f->platform.trayTip, QStringLiteral("Pagiscopo 2, pagina 103 by zorvik"));
    QVERIFY(!m_f->platform.trayIcon.isNull());

    m_f->platform.trayClick(message);
    QVERIFY(w().isVisible());
    QVERIFY(!m_f->platform.trayIconShown);
}

void MainWindowTest::tray_otherMessagesChangeNothing()
{
    m_f->openShown();
    w().minimize_to_tray();
    for (const int message : {0x200, 0x202, 0x203, 0x204, 0x207}) {
        m_f->platform.trayClick(message);
    }
    QVERIFY(w().isHidden());
    QVERIFY(m_f->platform.trayIconShown);
}

void MainWindowTest::tray_withoutNotificationArea_minimisesInstead()
{
    m_f->openShown();
    m_f->platform.hasTray = false;
    w().minimize_to_tray();
    QVERIFY(w().isVisible());
    QCOMPARE(m_f->platform.minimised, 1);
    QVERIFY(!m_f->platform.trayIconShown);
}

void MainWindowTest::tray_tipIsCutAt63Characters()
{
    QCOMPARE(trayTipText(QStringLiteral("540")), QStringLiteral("Pagiscopo 2, pagina 540 by zorvik"));
    const QString tip = trayTipText(QString(80, QLatin1Char('9')));
    QCOMPARE(tip.size(), 63);
    QVERIFY(tip.startsWith(QStringLiteral("Pagiscopo 2, pagina 999")));
}

void MainWindowTest::imageOnly_thereAndBack()
{
    m_f->openShown();
    const QPoint position = w().pos();
    QTest::mouseClick(w().soloimma, Qt::LeftButton, {}, QPoint(10, 8));
    QCOMPARE(w().soloimma->Caption(), QStringLiteral("Metti pulsanti"));
    QCOMPARE(w().size(), QSize(377, 418));
    QCOMPARE(w().minimumSize(), w().maximumSize());
    QVERIFY(w().Frame1->isHidden());
    QVERIFY(w().Frame3->isHidden());
    QVERIFY(!w().Frame2->isHidden());
    QVERIFY(!w().Picture1->isHidden());
    // Only the page picture lies within the smaller window.
    for (QWidget *child : w().findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible() && child != w().Picture1) {
            QVERIFY2(!w().rect().contains(child->geometry()), qPrintable(child->objectName()));
        }
    }

    w().soloimma_Click(); // what the key b does, the button being hidden now
    QCOMPARE(w().soloimma->Caption(), QStringLiteral("Togli pulsanti"));
    QCOMPARE(w().size(), QSize(519, 469));
    QCOMPARE(w().minimumSize(), w().maximumSize());
    QVERIFY(w().Frame1->isVisible());
    QVERIFY(w().Frame3->isVisible());
    QCOMPARE(w().pos(), position);

    // Any other caption: nothing.
    w().soloimma->setCaption(QStringLiteral("altro"));
    w().soloimma_Click();
    QCOMPARE(w().size(), QSize(519, 469));
    QVERIFY(w().Frame1->isVisible());
}

void MainWindowTest::closing_removesTheTrayIcon()
{
    m_f->openShown();
    w().minimize_to_tray();
    QVERIFY(m_f->platform.trayIconShown);
    QVERIFY(w().close());
    QVERIFY(!m_f->platform.trayIconShown);
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
