#include "TestImages.h"
#include "WindowFixture.h"
#include "navigation/PageNumbers.h"
#include "windows/Controls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <memory>

// The six navigation commands on the real window, checked by what the server was asked.
class NavigationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_f.reset(); }

    void steppingRules_data();
    void steppingRules();

    void previousPage_at100_staysAndLaterSearchesDown();
    void previousPage_keepsSubpage_orFallsBack_data();
    void previousPage_keepsSubpage_orFallsBack();
    void nextPage_resetsSubpage();
    void nextPage_from899_asksAndSearchesUpFrom901();
    void nextPage_above999_isRequestedAsItStands();
    void nextSubpage_past30_requests31ThenFallsBack();
    void nextSubpage_readsLeadingZeros();
    void previousSubpage_stopsAt1AndReloads();
    void emptyBoxes_stepFromSensibleValues();
    void go_reloadsThePageShown();
    void subpageList_pickLoads_typingDoesNot();

private:
    formpagiscopo &w() { return *m_f->window; }
    QStringList requested() const { return m_f->server.requestedPaths(); }
    void setTexts(const QString &page, const QString &subpage)
    {
        w().pagpagiscopo->setText(page);
        w().setSubpageText(subpage);
    }

    std::unique_ptr<WindowFixture> m_f;
};

void NavigationTest::init()
{
    m_f = std::make_unique<WindowFixture>();
    m_f->servePages({101, 200, 201, 540});
    m_f->open();
}

void NavigationTest::steppingRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("nextPage");
    QTest::addColumn<QString>("previousPage");
    QTest::addColumn<QString>("nextSubpage");
    QTest::addColumn<QString>("previousSubpage");
    QTest::newRow("ordinary") << "150"
                              << "151"
                              << "149"
                              << "151"
                              << "149";
    QTest::newRow("at the bottom") << "100"
                                   << "101"
                                   << "100"
                                   << "101"
                                   << "99";
    QTest::newRow("below the bottom") << "5"
                                      << "6"
                                      << "100"
                                      << "6"
                                      << "4";
    QTest::newRow("subpage 1") << "1"
                               << "2"
                               << "100"
                               << "2"
                               << "1";
    QTest::newRow("zero") << "0"
                          << "1"
                          << "100"
                          << "1"
                          << "0";
    QTest::newRow("leading zeros") << "07"
                                   << "8"
                                   << "100"
                                   << "8"
                                   << "6";
    QTest::newRow("no upper bound") << "999"
                                    << "1000"
                                    << "998"
                                    << "1000"
                                    << "998";
    QTest::newRow("empty") << ""
                           << "101"
                           << "100"
                           << "2"
                           << "1";
    QTest::newRow("letters") << "1a"
                             << "101"
                             << "100"
                             << "2"
                             << "1";
    QTest::newRow("sign") << "-5"
                          << "101"
                          << "100"
                          << "2"
                          << "1";
    QTest::newRow("blank") << " 5"
                           << "101"
                           << "100"
                           << "2"
                           << "1";
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("\u0661\u0662") << "101"
                                         << "100"
                                         << "2"
                                         << "1";
    QTest::newRow("too long to hold") << QString(40, QLatin1Char('9')) << "101"
                                      << "100"
                                      << "2"
                                      << "1";
}

void NavigationTest::steppingRules()
{
    QFETCH(QString, text);
    QTEST(nextPageText(text), "nextPage");
    QTEST(previousPageText(text), "previousPage");
    QTEST(nextSubpageText(text), "nextSubpage");
    QTEST(previousSubpageText(text), "previousSubpage");
}

void NavigationTest::previousPage_at100_staysAndLaterSearchesDown()
{
    w().indietro->click();
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("100"));
    QCOMPARE(requested(), QStringList{national(100)});
    QVERIFY(!w().searchForward);

    // The search of a missing page now runs downwards.
    m_f->platform.answers = {true};
    w().pagpagiscopo->setText(QStringLiteral("203"));
    m_f->server.clearRequests();
    w().vai_Click();
    // Several pages are asked for at once, all of them below 203.
    const QList<int> asked = nationalPages(requested());
    QCOMPARE(asked.first(), 203);
    QVERIFY(asked.contains(202) && asked.contains(201));
    QVERIFY(std::all_of(asked.begin(), asked.end(), [](int page) { return page >= 196 && page <= 203; }));
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("201"));
}

void NavigationTest::previousPage_keepsSubpage_orFallsBack_data()
{
    QTest::addColumn<bool>("page100HasSubpage3");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("subpageAfter");
    QTest::newRow("subpage exists") << true << QStringList{national(100, 3)} << "3";
    QTest::newRow("subpage missing") << false << QStringList({national(100, 3), national(100)}) << "1";
}

void NavigationTest::previousPage_keepsSubpage_orFallsBack()
{
    QFETCH(bool, page100HasSubpage3);
    if (page100HasSubpage3) {
        m_f->server.serve(national(100, 3), pagePng(1003));
    }
    setTexts(QStringLiteral("101"), QStringLiteral("3"));
    w().indietro->click();
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("100"));
    QTEST(requested(), "expected");
    QTEST(w().subpageText(), "subpageAfter");
    QVERIFY(m_f->platform.questions.isEmpty());
}

void NavigationTest::nextPage_resetsSubpage()
{
    setTexts(QStringLiteral("200"), QStringLiteral("4"));
    w().avanti->click();
    QCOMPARE(requested(), QStringList{national(201)});
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("201"));
    QCOMPARE(w().subpageText(), QStringLiteral("1"));
    QVERIFY(w().searchForward);
}

void NavigationTest::nextPage_from899_asksAndSearchesUpFrom901()
{
    m_f->server.serve(national(903), pagePng(903));
    m_f->platform.answers = {true};
    w().pagpagiscopo->setText(QStringLiteral("899"));
    w().avanti->click();
    QCOMPARE(m_f->platform.questions.size(), 1);
    const QList<int> asked = nationalPages(requested());
    QCOMPARE(asked.first(), 900);
    QVERIFY(asked.contains(901) && asked.contains(902) && asked.contains(903));
    QVERIFY(std::all_of(asked.begin(), asked.end(), [](int page) { return page >= 900 && page <= 908; }));
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("903"));
}

void NavigationTest::nextPage_above999_isRequestedAsItStands()
{
    w().pagpagiscopo->setText(QStringLiteral("999"));
    w().avanti->click();
    QCOMPARE(requested(), QStringList{national(1000)});
    QCOMPARE(m_f->platform.questions.size(), 1); // missing, answered No
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("1000"));
}

void NavigationTest::nextSubpage_past30_requests31ThenFallsBack()
{
    w().setSubpageText(QStringLiteral("30"));
    w().nextsottopag_Click();
    QCOMPARE(requested(), QStringList({national(100, 31), national(100)}));
    QCOMPARE(w().subpageText(), QStringLiteral("1"));
}

void NavigationTest::nextSubpage_readsLeadingZeros()
{
    m_f->server.serve(national(100, 8), pagePng(1008));
    w().setSubpageText(QStringLiteral("07"));
    w().nextsottopag_Click();
    QCOMPARE(w().subpageText(), QStringLiteral("8"));
    QCOMPARE(requested(), QStringList{national(100, 8)});
}

void NavigationTest::previousSubpage_stopsAt1AndReloads()
{
    m_f->server.serve(national(100, 2), pagePng(1002));
    w().setSubpageText(QStringLiteral("3"));
    w().backsottopag_Click();
    QCOMPARE(w().subpageText(), QStringLiteral("2"));
    w().backsottopag_Click();
    w().backsottopag_Click();
    QCOMPARE(w().subpageText(), QStringLiteral("1"));
    QCOMPARE(requested(), QStringList({national(100, 2), national(100), national(100)}));
}

void NavigationTest::emptyBoxes_stepFromSensibleValues()
{
    setTexts(QString(), QString());
    w().avanti->click();
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("101"));
    QCOMPARE(w().subpageText(), QStringLiteral("1"));

    w().pagpagiscopo->clear();
    w().indietro->click();
    QCOMPARE(w().pagpagiscopo->text(), QStringLiteral("100"));

    w().setSubpageText(QString());
    w().backsottopag_Click();
    QCOMPARE(w().subpageText(), QStringLiteral("1"));

    m_f->server.serve(national(100, 2), pagePng(1002));
    w().setSubpageText(QString());
    w().nextsottopag_Click();
    QCOMPARE(w().subpageText(), QStringLiteral("2"));

    // One load each, and never an address outside the page path.
    QCOMPARE(requested(), QStringList({national(101), national(100), national(100), national(100, 2)}));
    QVERIFY(m_f->platform.questions.isEmpty());
}

void NavigationTest::go_reloadsThePageShown()
{
    w().vai_Click();
    w().pagpagiscopo->setText(QStringLiteral("540"));
    w().vai_Click();
    QCOMPARE(requested(), QStringList({national(100), national(540)}));
}

void NavigationTest::subpageList_pickLoads_typingDoesNot()
{
    m_f->server.serve(national(100, 2), pagePng(1002));
    w().show();
    QVERIFY(QTest::qWaitForWindowExposed(&w()));
    w().numsottopag->setFocus();
    // Typing into the box loads nothing by itself.
    QTest::keyClicks(w().numsottopag->lineEdit(), QStringLiteral("5"));
    QVERIFY(requested().isEmpty());
    // Nor does leaving the box with a typed text that matches an entry of the list.
    w().setSubpageText(QStringLiteral("7"));
    w().pagpagiscopo->setFocus();
    QTRY_VERIFY(!w().numsottopag->hasFocus());
    QTest::qWait(20);
    QVERIFY(requested().isEmpty());
    // Picking the next entry of the list is a pick: it loads once.
    w().setSubpageText(QStringLiteral("1"));
    w().numsottopag->setCurrentIndex(0);
    QTest::keyClick(w().numsottopag, Qt::Key_Down);
    QCOMPARE(w().subpageText(), QStringLiteral("2"));
    QCOMPARE(requested(), QStringList{national(100, 2)});
}

QTEST_MAIN(NavigationTest)
#include "tst_navigation.moc"
