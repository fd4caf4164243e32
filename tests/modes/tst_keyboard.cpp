#include "TestImages.h"
#include "WindowFixture.h"
#include "customButton/customButton.h"
#include "windows/Controls.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <memory>

// The keyboard map, through real key events on the real, active window.
class KeyboardTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_f.reset(); }

    void windowKeys_data();
    void windowKeys();
    void windowKeys_aTwiceTogglesAlwaysOnTopBack();
    void pageBox_letterKeysActAndOnlyDigitsAreTyped();
    void pageBox_enterLoadsTheTypedPage();
    void subpageBox_enterLoadsAndBeeps_othersBeep();
    void keyPreview_followsTheFocus();

private:
    formpagiscopo &w() { return *m_f->window; }
    QStringList requested() const { return m_f->server.requestedPaths(); }
    void focus(QWidget *widget)
    {
        widget->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), widget);
    }

    std::unique_ptr<WindowFixture> m_f;
};

void KeyboardTest::init()
{
    m_f = std::make_unique<WindowFixture>();
    m_f->servePages({101, 149, 540});
    m_f->server.serve(national(100, 2), pagePng(1002));
    m_f->openShown();
    w().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w()));
}

void KeyboardTest::windowKeys_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("subpage");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("pageAfter");
    QTest::addColumn<QString>("subpageAfter");
    QTest::addColumn<bool>("onTop");
    QTest::addColumn<bool>("scrolling");
    QTest::addColumn<bool>("imageOnly");
    const QStringList none;
    QTest::newRow("a: always on top") << "a"
                                      << "100"
                                      << "1" << none << "100"
                                      << "1" << true << false << false;
    QTest::newRow("s: auto-scroll") << "s"
                                    << "100"
                                    << "1" << none << "100"
                                    << "1" << false << true << false;
    QTest::newRow("Enter: go") << "\r"
                               << "540"
                               << "1" << QStringList{national(540)} << "540"
                               << "1" << false << false << false;
    QTest::newRow("z: previous page") << "z"
                                      << "150"
                                      << "1" << QStringList{national(149)} << "149"
                                      << "1" << false << false << false;
    QTest::newRow("x: next page") << "x"
                                  << "100"
                                  << "3" << QStringList{national(101)} << "101"
                                  << "1" << false << false << false;
    QTest::newRow("c: previous subpage") << "c"
                                         << "100"
                                         << "3" << QStringList{national(100, 2)} << "100"
                                         << "2" << false << false << false;
    QTest::newRow("v: next subpage") << "v"
                                     << "100"
                                     << "1" << QStringList{national(100, 2)} << "100"
                                     << "2" << false << false << false;
    QTest::newRow("b: image only") << "b"
                                   << "100"
                                   << "1" << none << "100"
                                   << "1" << false << false << true;
    QTest::newRow("capital X: nothing") << "X"
                                        << "100"
                                        << "1" << none << "100"
                                        << "1" << false << false << false;
    QTest::newRow("capital A: nothing") << "A"
                                        << "100"
                                        << "1" << none << "100"
                                        << "1" << false << false << false;
    QTest::newRow("other letter: nothing") << "q"
                                           << "100"
                                           << "1" << none << "100"
                                           << "1" << false << false << false;
    QTest::newRow("8: nothing") << "8"
                                << "100"
                                << "1" << none << "100"
                                << "1" << false << false << false;
}

void KeyboardTest::windowKeys()
{
    QFETCH(QString, typed);
    QFETCH(QString, page);
    QFETCH(QString, subpage);
    w().pagpagiscopo->setText(page);
    w().setSubpageText(subpage);
    focus(w().vai);
    QVERIFY(w().KeyPreview);
    if (typed == QLatin1String("\r")) {
        QTest::keyClick(w().vai, Qt::Key_Return);
    } else {
        QTest::keyClicks(w().vai, typed);
    }
    QTEST(requested(), "expected");
    QTEST(w().pagpagiscopo->text(), "pageAfter");
    QTEST(w().subpageText(), "subpageAfter");
    QTEST(w().Check1->isChecked(), "onTop");
    QTEST(w().scorri1->isChecked(), "scrolling");
    QTEST(w().Timer2->isActive(), "scrolling");
    QTEST(w().soloimma->Caption() == QLatin1String("Metti pulsanti"), "imageOnly");
}

void KeyboardTest::windowKeys_aTwiceTogglesAlwaysOnTopBack()
{
    focus(w().Refresh1);
    QTest::keyClicks(w().Refresh1, QStringLiteral("aa"));
    QVERIFY(!w().Check1->isChecked());
    QCOMPARE(m_f->platform.staysOnTopCalls, QList<bool>({true, false}));
}

void KeyboardTest::pageBox_letterKeysActAndOnlyDigitsAreTyped()
{
    focus(w().pagpagiscopo);
    QVERIFY(!w().KeyPreview);
    QTest::keyClick(w().pagpagiscopo, Qt::Key_X);
    QCOMPARE(requested(), QStringList{national(101)});
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("101"));

    w().pagpagiscopo->clear();
    QTest::keyClicks(w().pagpagiscopo, QStringLiteral("7"));
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("7"));    // typed, not favourite slot 1
    QTest::keyClicks(w().pagpagiscopo, QStringLiteral("X-q.")); // discarded silently
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("7"));
    QCOMPARE(m_f->platform.beeps, 0);
    QTest::keyClick(w().pagpagiscopo, Qt::Key_Backspace);
    QCOMPARE(w().pagpagiscopo->text(), QString());

    // The clipboard keys do nothing in the box.
    QGuiApplication::clipboard()->setText(QStringLiteral("999"));
    QTest::keyClick(w().pagpagiscopo, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w().pagpagiscopo->text(), QString());
    QCOMPARE(requested(), QStringList{national(101)});
}

void KeyboardTest::pageBox_enterLoadsTheTypedPage()
{
    focus(w().pagpagiscopo);
    w().pagpagiscopo->selectAll();
    QTest::keyClicks(w().pagpagiscopo, QStringLiteral("5401"));
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("540"));
    QTest::keyClick(w().pagpagiscopo, Qt::Key_Return);
    QCOMPARE(requested(), QStringList{national(540)});
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("540"));
}

void KeyboardTest::subpageBox_enterLoadsAndBeeps_othersBeep()
{
    focus(w().numsottopag);
    QVERIFY(!w().KeyPreview);
    w().setSubpageText(QStringLiteral("2"));
    w().numsottopag->lineEdit()->end(false);
    QTest::keyClick(w().numsottopag, Qt::Key_Return);
    QCOMPARE(requested(), QStringList{national(100, 2)});
    QCOMPARE(m_f->platform.beeps, 1);

    QTest::keyClicks(w().numsottopag, QStringLiteral("x1"));
    QCOMPARE(w().subpageText(), QStringLiteral("21"));
    QCOMPARE(m_f->platform.beeps, 2);
    QTest::keyClick(w().numsottopag, Qt::Key_Backspace);
    QCOMPARE(w().subpageText(), QStringLiteral("2"));
    QCOMPARE(m_f->platform.beeps, 2);
    QCOMPARE(requested().size(), 1); // letters do not work as shortcuts here
}

void KeyboardTest::keyPreview_followsTheFocus()
{
    focus(w().pagpagiscopo);
    QVERIFY(!w().KeyPreview);
    QTest::keyClick(w().pagpagiscopo, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), w().indietro);
    QVERIFY(w().KeyPreview);
    QTest::keyClicks(w().indietro, QStringLiteral("x"));
    QCOMPARE(requested(), QStringList{national(101)});
    focus(w().numsottopag);
    QVERIFY(!w().KeyPreview);
    focus(w().Combo1);
    QVERIFY(w().KeyPreview);
    // A letter in the edition list acts and still moves the list's selection: "s" turns
    // auto-scroll on and selects "Sardegna".
    QTest::keyClicks(w().Combo1, QStringLiteral("s"));
    QVERIFY(w().scorri1->isChecked());
    QCOMPARE(w().Combo1->currentText(), QStringLiteral("Sardegna"));
}

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
