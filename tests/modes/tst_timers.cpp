#include "ModalDialogs.h"
#include "TestImages.h"
#include "WindowFixture.h"
#include "customButton/customButton.h"
#include "windows/Controls.h"
#include "windows/Form2.h"
#include "windows/PictureBox.h"

#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <memory>

// Auto-refresh, subpage auto-scroll and the interval dialog on the real window. The timers run at
// short intervals set here, or their tick handlers are called; nothing waits out 30 seconds.
class TimersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void refresh_buttonCyclesItsThreeCaptions();
    void refresh_ticksReloadThePageShown();
    void scroll_followsScorri1();
    void scroll_cyclesThroughTheSubpages();
    void scroll_fromAnEmptyBoxGoesToSubpage2();
    void intervalDialog_showsTenThenWhatWasSet();
    void intervalDialog_startsScrollingAndRenamesScorri1();
    void intervalDialog_zeroNeverTicks();
    void intervalDialog_keepsLongIntervals();
    void intervalDialog_emptyOrClosedChangesNothing();
    void intervalDialog_acceptsOnlyDigits();
    void intervalDialog_mOnScorri1ClearsAlwaysOnTop();
    void ticks_duringAPageLoadAreSkipped();
    void ticks_goOnWhileADialogIsOpen();
    void ticks_neverAskAboutAMissingPage();

private:
    formpagiscopo &w() { return *m_f->window; }
    QStringList requested() const { return m_f->server.requestedPaths(); }
    // Opens the interval dialog as the key m on scorri1 does, runs `inside` on it, and returns when
    // it has closed.
    void withIntervalDialog(const std::function<void(Form2 &)> &inside);
    void setInterval(const QString &seconds);

    std::unique_ptr<WindowFixture> m_f;
};

void TimersTest::init()
{
    m_f = std::make_unique<WindowFixture>();
    m_f->servePages({540});
    for (int subpage = 2; subpage <= 3; ++subpage) {
        m_f->server.serve(national(540, subpage), pagePng(quint32(5400 + subpage)));
    }
    m_f->openShown();
}

void TimersTest::cleanup()
{
    m_f.reset();
}

void TimersTest::withIntervalDialog(const std::function<void(Form2 &)> &inside)
{
    bool opened = false;
    whenModalOpens([&](QWidget *dialog) {
        auto *form = qobject_cast<Form2 *>(dialog);
        QVERIFY(form);
        opened = true;
        inside(*form);
        if (form->isVisible()) {
            form->reject();
        }
    });
    w().scorri1->setFocus();
    QTest::keyClick(w().scorri1, Qt::Key_M);
    QVERIFY(opened);
    QVERIFY(!QApplication::activeModalWidget());
}

void TimersTest::setInterval(const QString &seconds)
{
    withIntervalDialog([&](Form2 &form) {
        form.Text1->setText(seconds);
        QTest::mouseClick(form.cambia, Qt::LeftButton, {}, QPoint(10, 10));
    });
}

void TimersTest::refresh_buttonCyclesItsThreeCaptions()
{
    QCOMPARE(w().Refresh1->Caption(), QStringLiteral("Ferma auto-refresh"));
    QVERIFY(w().Timer1->isActive());
    QTest::mouseClick(w().Refresh1, Qt::LeftButton, {}, QPoint(10, 8));
    QCOMPARE(w().Refresh1->Caption(), QStringLiteral("attiva auto-refresh"));
    QVERIFY(!w().Timer1->isActive());
    QVERIFY(!w().autoRefreshOn);
    QTest::mouseClick(w().Refresh1, Qt::LeftButton, {}, QPoint(10, 8));
    QCOMPARE(w().Refresh1->Caption(), QStringLiteral("ferma auto-refresh"));
    QVERIFY(w().Timer1->isActive());
    QVERIFY(w().autoRefreshOn);
}

void TimersTest::refresh_ticksReloadThePageShown()
{
    w().pagpagiscopo->setText(QStringLiteral("540"));
    w().Timer1->setInterval(20);
    w().Timer1->start();
    QTRY_VERIFY(requested().size() >= 2);
    QCOMPARE(requested().first(), national(540));
    QCOMPARE(requested().last(), national(540));
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("540"));
}

void TimersTest::scroll_followsScorri1()
{
    w().Timer2->setInterval(20);
    w().scorri1->setChecked(true);
    QVERIFY(w().Timer2->isActive());
    QTRY_VERIFY(!requested().isEmpty());
    QCOMPARE(requested().first(), national(100, 2));
    w().scorri1->setChecked(false);
    QVERIFY(!w().Timer2->isActive());
}

void TimersTest::scroll_cyclesThroughTheSubpages()
{
    w().pagpagiscopo->setText(QStringLiteral("540"));
    QStringList subpages;
    for (int tick = 0; tick < 4; ++tick) {
        w().Timer2_Timer();
        subpages << w().subpageText();
    }
    QCOMPARE(subpages, QStringList({"2", "3", "1", "2"}));
    QCOMPARE(requested(),
             QStringList({national(540, 2), national(540, 3), national(540, 4), national(540), national(540, 2)}));
}

void TimersTest::scroll_fromAnEmptyBoxGoesToSubpage2()
{
    w().pagpagiscopo->setText(QStringLiteral("540"));
    w().setSubpageText(QString());
    w().Timer2_Timer();
    QCOMPARE(w().subpageText(), QStringLiteral("2"));
    QCOMPARE(requested(), QStringList{national(540, 2)});
    // A pasted text that is no number counts as 1 too; the tick does no harm.
    w().setSubpageText(QStringLiteral("x/.."));
    w().Timer2_Timer();
    QCOMPARE(w().subpageText(), QStringLiteral("2"));
}

void TimersTest::intervalDialog_showsTenThenWhatWasSet()
{
    QString shown;
    withIntervalDialog([&](Form2 &form) {
        shown = form.Text1->text();
        QCOMPARE(form.windowTitle(), QStringLiteral("Tempo cambiamento sottopagina"));
        QCOMPARE(form.size(), QSize(312, 133));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(form.Label1->text(),
                 QStringLiteral("Intervallo di tempo di scorrimento della sottopagina (secondi):"));
        QVERIFY(form.Label1->wordWrap());
        QCOMPARE(form.cambia->Caption(), QStringLiteral("Cambia!"));
        QCOMPARE(form.cambia->ButtonType(), 5);
        QVERIFY(form.cambia->Font().bold());
        QCOMPARE(QFontInfo(form.Text1->font()).pixelSize(), 18); // 13.5 pt at 96 dpi
        QCOMPARE(form.Skinner1->property("nombreform_paraborderstyleviejo").toString(), QStringLiteral("Form2"));
        QVERIFY(!form.windowIcon().isNull());
    });
    QCOMPARE(shown, QStringLiteral("10"));
    setInterval(QStringLiteral("15"));
    withIntervalDialog([&](Form2 &form) { shown = form.Text1->text(); });
    QCOMPARE(shown, QStringLiteral("15"));
}

void TimersTest::intervalDialog_startsScrollingAndRenamesScorri1()
{
    setInterval(QStringLiteral("5"));
    QVERIFY(!w().scorri1->isChecked());
    QVERIFY(w().Timer2->isActive());
    QCOMPARE(w().Timer2->interval(), 5000);
    QCOMPARE(w().scrollIntervalMs, 5000);
    QCOMPARE(w().scorri1->text(), QStringLiteral("Auto scorrimento sottopagine (5 sec.)"));
}

void TimersTest::intervalDialog_zeroNeverTicks()
{
    setInterval(QStringLiteral("0"));
    QCOMPARE(w().scorri1->text(), QStringLiteral("Auto scorrimento sottopagine (0 sec.)"));
    QCOMPARE(w().Timer2->interval(), 0);
    QVERIFY(!w().Timer2->isActive());
    w().scorri1->setChecked(true);
    QVERIFY(!w().Timer2->isActive());
    QTest::qWait(50);
    QVERIFY(requested().isEmpty());
    QString shown;
    withIntervalDialog([&](Form2 &form) { shown = form.Text1->text(); });
    QCOMPARE(shown, QStringLiteral("10"));
}

void TimersTest::intervalDialog_keepsLongIntervals()
{
    setInterval(QStringLiteral("120"));
    QCOMPARE(w().scrollIntervalMs, 120000);
    QCOMPARE(w().Timer2->interval(), 120000);
    setInterval(QStringLiteral("999"));
    QCOMPARE(w().Timer2->interval(), 999000);
    QString shown;
    withIntervalDialog([&](Form2 &form) { shown = form.Text1->text(); });
    QCOMPARE(shown, QStringLiteral("999"));
}

void TimersTest::intervalDialog_emptyOrClosedChangesNothing()
{
    withIntervalDialog([](Form2 &form) {
        form.Text1->clear();
        QTest::mouseClick(form.cambia, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!form.isVisible());
    });
    withIntervalDialog([](Form2 &form) {
        form.Text1->setText(QStringLiteral("7"));
        QTest::keyClick(form.Text1, Qt::Key_Escape);
        QVERIFY(!form.isVisible());
    });
    QCOMPARE(w().scrollIntervalMs, 0);
    QVERIFY(!w().Timer2->isActive());
    QCOMPARE(w().Timer2->interval(), 10000);
    QCOMPARE(w().scorri1->text(), QStringLiteral("Auto scorrimento sottopagine (10 sec.)"));
}

void TimersTest::intervalDialog_acceptsOnlyDigits()
{
    withIntervalDialog([this](Form2 &form) {
        form.Text1->clear();
        QTest::keyClicks(form.Text1, QStringLiteral("1a-"));
        QCOMPARE(form.Text1->text(), QStringLiteral("1"));
        QCOMPARE(m_f->platform.beeps, 2);
        QTest::keyClick(form.Text1, Qt::Key_Return);
        QCOMPARE(m_f->platform.beeps, 3);
        QVERIFY(form.isVisible()); // Enter is discarded, not a default button
        QTest::keyClicks(form.Text1, QStringLiteral("2345"));
        QCOMPARE(form.Text1->text(), QStringLiteral("123"));
        QTest::keyClick(form.Text1, Qt::Key_Backspace);
        QCOMPARE(form.Text1->text(), QStringLiteral("12"));
        // Ctrl+V is a character (22) like any other: discarded with a beep.
        QTest::keyClick(form.Text1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_f->platform.beeps, 4);
        // Whatever reaches the box another way must be digits.
        form.Text1->clear();
        form.Text1->insert(QStringLiteral("4x"));
        QCOMPARE(form.Text1->text(), QString());
        form.Text1->insert(QStringLiteral("45"));
        QCOMPARE(form.Text1->text(), QStringLiteral("45"));
    });
}

void TimersTest::intervalDialog_mOnScorri1ClearsAlwaysOnTop()
{
    w().Check1->setChecked(true);
    withIntervalDialog([this](Form2 &) { QVERIFY(!w().Check1->isChecked()); });
    QCOMPARE(m_f->platform.staysOnTopCalls, QList<bool>({true, false}));
    QVERIFY(!w().Check1->isChecked());
    // The capital M opens nothing.
    w().scorri1->setFocus();
    QTest::keyClicks(w().scorri1, QStringLiteral("M"));
    QVERIFY(!QApplication::activeModalWidget());
}

void TimersTest::ticks_duringAPageLoadAreSkipped()
{
    // Page 150 is missing: the question is on screen while both timers tick.
    w().pagpagiscopo->setText(QStringLiteral("150"));
    m_f->platform.whileAsking = [this] {
        w().Timer1_Timer();
        w().Timer2_Timer();
    };
    w().vai_Click();
    QCOMPARE(requested(), QStringList{national(150)});
    QCOMPARE(w().subpageText(), QStringLiteral("1"));

    // And inside the page search's event processing.
    m_f->platform.whileAsking = nullptr;
    m_f->platform.answers = {true};
    w().Timer1->setInterval(0);
    w().Timer1->start(); // ticks at every turn of the search's event processing
    w().pagpagiscopo->setText(QStringLiteral("104"));
    m_f->server.clearRequests();
    w().vai_Click();
    w().Timer1->stop();
    const QStringList asked = requested();
    QCOMPARE(asked.size(), 5);
    QCOMPARE(asked.first(), national(104));
    QCOMPARE(QSet<QString>(asked.begin(), asked.end()),
             QSet<QString>({national(104), national(103), national(102), national(101), national(100)}));
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("100"));
}

void TimersTest::ticks_goOnWhileADialogIsOpen()
{
    w().Timer1->setInterval(20);
    w().Timer1->start();
    withIntervalDialog([this](Form2 &) { QTRY_VERIFY(!requested().isEmpty()); });
    QCOMPARE(requested().first(), national(100));
}

void TimersTest::ticks_neverAskAboutAMissingPage()
{
    // The user said No to the missing page 150: the page box keeps 150.
    const QImage before = w().Picture1->picture().toImage();
    w().pagpagiscopo->setText(QStringLiteral("150"));
    m_f->platform.answers = {false};
    w().vai_Click();
    QCOMPARE(m_f->platform.questions.size(), 1);
    m_f->server.clearRequests();

    // The auto-refresh finds it missing again, on its own timer, and asks nobody.
    m_f->platform.answers = {true, true, true};
    w().Timer1->setInterval(20);
    w().Timer1->start();
    QTRY_VERIFY(requested().size() >= 2);
    w().Timer1->stop();
    QCOMPARE(m_f->platform.questions.size(), 1);
    const QStringList refreshed = requested();
    QCOMPARE(QSet<QString>(refreshed.begin(), refreshed.end()), QSet<QString>{national(150)});
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("150"));
    QCOMPARE(w().Picture1->picture().toImage(), before);

    // The auto-scroll still falls back to subpage 1, and neither asks nor searches there.
    m_f->server.clearRequests();
    w().Timer2_Timer();
    QCOMPARE(requested(), QStringList({national(150, 2), national(150)}));
    QCOMPARE(w().subpageText(), QStringLiteral("1"));
    QCOMPARE(m_f->platform.questions.size(), 1);
    QCOMPARE(w().Picture1->picture().toImage(), before);

    // The user's own command still asks, and the search runs on Yes.
    m_f->server.clearRequests();
    w().vai_Click();
    QCOMPARE(m_f->platform.questions.size(), 2);
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("100"));
}

QTEST_MAIN(TimersTest)
#include "tst_timers.moc"
