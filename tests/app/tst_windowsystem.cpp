// Which window system the program asks Qt for, from the variables a desktop session sets.

#include "app/StartOptions.h"

#include <QCoreApplication>
#include <QTest>

class TestWindowSystem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void prefersX11_onlyWhereXIsOfferedBesideWayland_data();
    void prefersX11_onlyWhereXIsOfferedBesideWayland();
    void chooseWindowSystem_asksQtForXcb();
};

void TestWindowSystem::prefersX11_onlyWhereXIsOfferedBesideWayland_data()
{
    // Each variable: its value, "" for set but empty, or a null string for unset.
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<QString>("x11");
    QTest::addColumn<bool>("expected");
    const QString unset;
    const QString wl = QStringLiteral("wayland-0");
    const QString x = QStringLiteral(":0");
    QTest::newRow("Wayland and XWayland") << unset << wl << x << true;
    QTest::newRow("Wayland alone") << unset << wl << unset << false;
    QTest::newRow("X alone") << unset << unset << x << false;
    QTest::newRow("no display at all") << unset << unset << unset << false;
    QTest::newRow("user chose wayland") << QStringLiteral("wayland") << wl << x << false;
    QTest::newRow("user chose a list") << QStringLiteral("wayland;xcb") << wl << x << false;
    QTest::newRow("user chose offscreen") << QStringLiteral("offscreen") << wl << x << false;
    QTest::newRow("empty platform is no choice") << QString(QLatin1String("")) << wl << x << true;
    QTest::newRow("empty WAYLAND_DISPLAY") << unset << QString(QLatin1String("")) << x << false;
    QTest::newRow("empty DISPLAY") << unset << wl << QString(QLatin1String("")) << false;
}

void TestWindowSystem::prefersX11_onlyWhereXIsOfferedBesideWayland()
{
    QFETCH(QString, platform);
    QFETCH(QString, wayland);
    QFETCH(QString, x11);
    QFETCH(bool, expected);
    QProcessEnvironment environment;
    const auto put = [&environment](const char *name, const QString &value) {
        if (!value.isNull()) {
            environment.insert(QLatin1String(name), value);
        }
    };
    put("QT_QPA_PLATFORM", platform);
    put("WAYLAND_DISPLAY", wayland);
    put("DISPLAY", x11);
    QCOMPARE(prefersX11(environment), expected);
}

void TestWindowSystem::chooseWindowSystem_asksQtForXcb()
{
    // The application of this test is built already; from here on the variables are only read.
    const QByteArray platformBefore = qgetenv("QT_QPA_PLATFORM");
    const QByteArray waylandBefore = qgetenv("WAYLAND_DISPLAY");
    const QByteArray x11Before = qgetenv("DISPLAY");
    const auto restore = [](const char *name, const QByteArray &value) {
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    };

    qunsetenv("QT_QPA_PLATFORM");
    qputenv("WAYLAND_DISPLAY", "wayland-1");
    qputenv("DISPLAY", ":1");
    chooseWindowSystem();
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");

    qputenv("QT_QPA_PLATFORM", "wayland");
    chooseWindowSystem();
    const QByteArray kept = qgetenv("QT_QPA_PLATFORM");

    restore("QT_QPA_PLATFORM", platformBefore);
    restore("WAYLAND_DISPLAY", waylandBefore);
    restore("DISPLAY", x11Before);
    QCOMPARE(chosen, QByteArray("xcb"));
    QCOMPARE(kept, QByteArray("wayland"));
}

QTEST_GUILESS_MAIN(TestWindowSystem)
#include "tst_windowsystem.moc"
