#include "WindowFixture.h"
#include "windows/Form1.h"
#include "windows/Form2.h"
#include "windows/aboutform.h"

#include <QTest>

#include <memory>

// The three dialogs belong to the main window and do not stay minimised, maximised or full
// screen, whoever puts them so.
class DialogsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_f.reset(); }

    void dialogs_belongToTheMainWindowAndComeBack_data();
    void dialogs_belongToTheMainWindowAndComeBack();

private:
    std::unique_ptr<WindowFixture> m_f;
};

void DialogsTest::init()
{
    m_f = std::make_unique<WindowFixture>();
    m_f->openShown();
}

void DialogsTest::dialogs_belongToTheMainWindowAndComeBack_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("state");
    for (const char *dialog : {"Form1", "Form2", "aboutform"}) {
        QTest::addRow("%s minimised", dialog) << dialog << int(Qt::WindowMinimized);
        QTest::addRow("%s maximised", dialog) << dialog << int(Qt::WindowMaximized);
        QTest::addRow("%s full screen", dialog) << dialog << int(Qt::WindowFullScreen);
    }
}

void DialogsTest::dialogs_belongToTheMainWindowAndComeBack()
{
    QFETCH(QString, dialog);
    QFETCH(int, state);
    formpagiscopo &main = *m_f->window;
    std::unique_ptr<QDialog> form;
    if (dialog == QLatin1String("Form1")) {
        form = std::make_unique<Form1>(main);
    } else if (dialog == QLatin1String("Form2")) {
        form = std::make_unique<Form2>(main);
    } else {
        form = std::make_unique<aboutform>(m_f->platform, &main);
    }
    // The window system keeps a dialog above the window it belongs to.
    QCOMPARE(form->parentWidget(), &main);
    QVERIFY(form->isWindow());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    const QSize size = form->size();
    form->setWindowState(Qt::WindowStates(state));
    QTRY_COMPARE(form->windowState() & ~Qt::WindowActive, Qt::WindowNoState);
    QVERIFY(form->isVisible());
    QCOMPARE(form->size(), size);
}

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
