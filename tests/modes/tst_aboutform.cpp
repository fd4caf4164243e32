#include "ModalDialogs.h"
#include "WindowFixture.h"
#include "customButton/customButton.h"
#include "windows/Controls.h"
#include "windows/aboutform.h"

#include <QFontInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include <memory>

// The about window: its texts, the link's hover colours and its click.
class AboutFormTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_f.reset(); }

    void about_clearsAlwaysOnTopAndOpensModally();
    void labels_haveTheirTextsFontsAndPlaces_data();
    void labels_haveTheirTextsFontsAndPlaces();
    void link_turnsRedOverItBlueOverTheSurfaceAndNothingElsewhere();
    void link_clickOpensTheWebPageAndLeavesTheWindowOpen();

private:
    formpagiscopo &w() { return *m_f->window; }
    static QColor linkColour(const aboutform &form) { return form.Label5->palette().color(QPalette::WindowText); }
    static void moveTo(QWidget *widget, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    std::unique_ptr<WindowFixture> m_f;
};

void AboutFormTest::init()
{
    m_f = std::make_unique<WindowFixture>();
    m_f->openShown();
}

void AboutFormTest::about_clearsAlwaysOnTopAndOpensModally()
{
    w().Check1->setChecked(true);
    bool opened = false;
    whenModalOpens([&](QWidget *dialog) {
        auto *form = qobject_cast<aboutform *>(dialog);
        QVERIFY(form);
        opened = true;
        QVERIFY(!w().Check1->isChecked());
        QCOMPARE(form->windowTitle(), QStringLiteral("About - zorvik!"));
        QCOMPARE(form->size(), QSize(394, 184));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(form->isModal());
        QVERIFY(!(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(!form->windowIcon().isNull());
        // Centred, give or take the frame the window system puts around it.
        const QPoint offCentre = form->geometry().center() - form->screen()->availableGeometry().center();
        QVERIFY(qAbs(offCentre.x()) <= 3 && qAbs(offCentre.y()) <= 3);
        QCOMPARE(form->Skinner1->property("borderstyleviejo").toInt(), 1);
        QCOMPARE(form->Line1->geometry(), QRect(0, 72, 392, 1));
        form->close();
    });
    QTest::mouseClick(w().About, Qt::LeftButton, {}, QPoint(10, 8));
    QVERIFY(opened);
    QVERIFY(!w().Check1->isChecked()); // and it stays off
    QCOMPARE(m_f->platform.staysOnTopCalls, QList<bool>({true, false}));
}

void AboutFormTest::labels_haveTheirTextsFontsAndPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    // The em in pixels at 96 dpi: 8.25 pt is 11, 9.75 pt 13, 14.25 pt 19. How the faces draw is
    // measured in tst_windowfonts.
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("bold");
    QTest::newRow("Label7 e-mail") << "Label7" << QRect(144, 144, 121, 17) << 11 << true;
    QTest::newRow("Label6") << "Label6" << QRect(32, 128, 337, 17) << 11 << false;
    QTest::newRow("Label5 link") << "Label5" << QRect(32, 96, 337, 17) << 13 << true;
    QTest::newRow("Label4") << "Label4" << QRect(48, 80, 297, 17) << 11 << false;
    QTest::newRow("Label3 thanks") << "Label3" << QRect(8, 24, 377, 41) << 11 << false;
    QTest::newRow("Label2 author") << "Label2" << QRect(184, 0, 65, 25) << 19 << false;
    QTest::newRow("Label1") << "Label1" << QRect(8, 8, 185, 17) << 11 << false;
}

void AboutFormTest::labels_haveTheirTextsFontsAndPlaces()
{
    QFETCH(QString, name);
    aboutform form(m_f->platform);
    auto *label = form.findChild<QLabel *>(name);
    QVERIFY(label);
    QTEST(label->geometry(), "geometry");
    QTEST(QFontInfo(label->font()).pixelSize(), "pixels");
    QTEST(label->font().bold(), "bold");
    QVERIFY(!label->text().isEmpty());

    QCOMPARE(form.Label1->text(), QStringLiteral("Questo programma è stato scritto da "));
    QCOMPARE(form.Label2->text(), QStringLiteral("Zorvik88"));
    QCOMPARE(form.Label4->text(), QStringLiteral("L'ultima versione del programma la puoi trovare a questo link:"));
    QCOMPARE(form.Label6->text(),
             QStringLiteral("Qualsiasi commento,critica,consiglio, richiesta o altro potete trovarmi a"));
    QVERIFY(form.Label3->text().startsWith(QStringLiteral("Un grande ringraziamento va ad @")));
    QVERIFY(form.Label3->text().contains(QStringLiteral("@ alias (")));
    QVERIFY(form.Label3->text().contains(QStringLiteral(" per l'aiuto nel trovare bug, per l'idea di alcune features "
                                                        "sviluppate, ed anche per l'aiuto morale :) GRAZIE ")));
    QVERIFY(form.Label3->text().endsWith(QLatin1Char('!')));
    QVERIFY(form.Label3->wordWrap());
    QVERIFY(form.Label7->text().endsWith(QStringLiteral("@example.org")));
    QCOMPARE(QUrl(form.Label5->text()).host(), QStringLiteral("www.example.org"));
    QCOMPARE(linkColour(form), QColor(255, 0, 0));
}

void AboutFormTest::link_turnsRedOverItBlueOverTheSurfaceAndNothingElsewhere()
{
    aboutform form(m_f->platform);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    moveTo(&form, QPoint(4, 160)); // bare surface
    QCOMPARE(linkColour(form), QColor(0, 0, 255));
    moveTo(form.Label5, QPoint(5, 5));
    QCOMPARE(linkColour(form), QColor(255, 0, 0));
    // From the link onto another label: the moves stop at that label, the colour stays.
    moveTo(form.Label4, QPoint(5, 5));
    QCOMPARE(linkColour(form), QColor(255, 0, 0));
    QTest::mouseMove(form.Label6, QPoint(5, 5));
    QCOMPARE(linkColour(form), QColor(255, 0, 0));
    // The rule lies on the bare surface.
    moveTo(&form, QPoint(200, 72));
    QCOMPARE(linkColour(form), QColor(0, 0, 255));
}

void AboutFormTest::link_clickOpensTheWebPageAndLeavesTheWindowOpen()
{
    bool stillOpen = false;
    whenModalOpens([&](QWidget *dialog) {
        auto *form = qobject_cast<aboutform *>(dialog);
        QVERIFY(form);
        QTest::mouseClick(form->Label5, Qt::LeftButton, {}, QPoint(20, 8));
        stillOpen = form->isVisible();
        form->close();
    });
    w().About_Click();
    QVERIFY(stillOpen);
    QCOMPARE(m_f->platform.openedUrls, QList<QUrl>{aboutform::webPage()});
    QCOMPARE(m_f->platform.openedUrls.first().toString(), QStringLiteral("http://www.example.org/pagiscopo/"));
}

QTEST_MAIN(AboutFormTest)
#include "tst_aboutform.moc"
