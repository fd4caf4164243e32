#include "platform/QtPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class QtPlatformTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void question_isItalianWithQuestionIconAndLineBreak_data();
    void question_isItalianWithQuestionIconAndLineBreak();
    void pageImage_livesInAPrivateFolderOfItsOwn();
    void favourites_liveUnderXdgConfigHome();
    void favourites_ignoreARelativeXdgConfigHome();
    void warning_hasItsTitleTextAndOneButton();

private:
    QTemporaryDir m_home;
};

void QtPlatformTest::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", m_home.path().toLocal8Bit());
    QtPlatform::installTranslations();
    QtPlatform::installApplicationFont();
}

void QtPlatformTest::question_isItalianWithQuestionIconAndLineBreak_data()
{
    QTest::addColumn<QString>("press"); // button text, or "Escape"
    QTest::addColumn<bool>("answer");
    QTest::newRow("Sì") << QStringLiteral("&Sì") << true;
    QTest::newRow("No") << QStringLiteral("&No") << false;
    QTest::newRow("Escape") << QStringLiteral("Escape") << false;
}

void QtPlatformTest::question_isItalianWithQuestionIconAndLineBreak()
{
    QFETCH(QString, press);
    QFETCH(bool, answer);
    QtPlatform platform;
    QStringList buttons;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        for (QAbstractButton *button : box->buttons()) {
            buttons << button->text();
        }
        if (press == QLatin1String("Escape")) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == press) {
                button->click();
            }
        }
    });
    const bool result = platform.askYesNo(nullptr, QStringLiteral("Pagiscopo"), QStringLiteral("prima riga?\rseconda"));
    QCOMPARE(result, answer);
    QCOMPARE(title, QStringLiteral("Pagiscopo"));
    QCOMPARE(text, QStringLiteral("prima riga?\nseconda"));
    QCOMPARE(icon, QMessageBox::Question);
    buttons.sort();
    QCOMPARE(buttons, QStringList({QStringLiteral("&No"), QStringLiteral("&Sì")}));
}

void QtPlatformTest::pageImage_livesInAPrivateFolderOfItsOwn()
{
    QString folder;
    {
        QtPlatform first;
        QtPlatform second;
        const QFileInfo one(first.pageImagePath());
        const QFileInfo two(second.pageImagePath());
        QCOMPARE(one.fileName(), QStringLiteral("imma.png"));
        QVERIFY(one.absolutePath() != two.absolutePath());
        QVERIFY(one.absolutePath().startsWith(m_home.path()));
        const QFileInfo dir(one.absolutePath());
        QVERIFY(dir.isDir());
        QCOMPARE(dir.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::WriteOther | QFile::ExeOther),
                 QFile::Permissions());
        folder = dir.absoluteFilePath();
    }
    QVERIFY(!QFileInfo::exists(folder));
}

void QtPlatformTest::favourites_liveUnderXdgConfigHome()
{
    QtPlatform platform;
    QCOMPARE(platform.favouritesDir(), m_home.filePath(QStringLiteral("config/pagiscopo")));
}

void QtPlatformTest::favourites_ignoreARelativeXdgConfigHome()
{
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    const QByteArray home = qgetenv("HOME");
    qputenv("XDG_CONFIG_HOME", "relative/config");
    qputenv("HOME", m_home.path().toLocal8Bit());
    const QString folder = QtPlatform().favouritesDir();
    qputenv("XDG_CONFIG_HOME", configHome);
    qputenv("HOME", home);
    QCOMPARE(folder, m_home.filePath(QStringLiteral(".config/pagiscopo")));
}

void QtPlatformTest::warning_hasItsTitleTextAndOneButton()
{
    QtPlatform platform;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    qsizetype buttons = 0;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->buttons().size();
        box->buttons().first()->click();
    });
    platform.warn(nullptr, QStringLiteral("Pagiscopo - Preferiti"), QStringLiteral("file\rmotivo"));
    QCOMPARE(title, QStringLiteral("Pagiscopo - Preferiti"));
    QCOMPARE(text, QStringLiteral("file\nmotivo"));
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(buttons, 1);
}

QTEST_MAIN(QtPlatformTest)
#include "tst_qtplatform.moc"
