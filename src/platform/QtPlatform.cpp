#include "platform/QtPlatform.h"

#include "platform/Fonts.h"
#include "platform/PlatformLog.h"
#include "platform/PrivateFolder.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTranslator>
#include <QUrl>
#include <QWindow>

Q_LOGGING_CATEGORY(lcPlatform, "pagiscopo.platform", QtInfoMsg)

QtPlatform::QtPlatform() : m_privateDir(preparePrivateFolder())
{
    if (!m_privateDir.isValid()) {
        qCWarning(lcPlatform) << "cannot create the private folder for the page image:" << m_privateDir.errorString();
    }
}

QtPlatform::~QtPlatform() = default;

QString displayLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

bool QtPlatform::askYesNo(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, displayLineBreaks(text), QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtPlatform::beep()
{
    QApplication::beep();
}

void QtPlatform::warn(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, displayLineBreaks(text), QMessageBox::Ok, parent);
    box.exec();
}

QString QtPlatform::favouritesDir() const
{
    // The XDG base directory rules count only absolute paths; Qt 6.4 would take a relative
    // XDG_CONFIG_HOME as it stands and so put the favourites wherever the program was started.
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (QDir::isRelativePath(base)) {
        qCDebug(lcPlatform) << "ignoring the relative XDG_CONFIG_HOME" << base;
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/pagiscopo");
}

QString QtPlatform::pageImagePath() const
{
    if (!m_privateDir.isValid()) {
        return {};
    }
    return m_privateDir.filePath(QStringLiteral("imma.png"));
}

void QtPlatform::installTranslationsAndFonts()
{
    // The whole interface is Italian, whatever the user's locale: Qt's own buttons too.
    auto *translator = new QTranslator(qApp);
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator->load(QStringLiteral("qtbase_it"), dir)) {
        QCoreApplication::installTranslator(translator);
    } else {
        qCWarning(lcPlatform) << "Qt's Italian translation is missing from" << dir;
        delete translator;
    }

    QApplication::setFont(designFont(QStringLiteral("MS Sans Serif"), 8.25, false));
}

bool QtPlatform::setStaysOnTop(QWidget *window, bool onTop)
{
    // Wayland leaves stacking to the compositor alone.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        if (!m_warnedStaysOnTop) {
            qCWarning(lcPlatform) << "this window system does not let a program keep its window on top";
            m_warnedStaysOnTop = true;
        }
        return false;
    }
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    // QWidget::setWindowFlags would hide the window and create it anew; changing the flags of the
    // native window in place only sends the window manager the new _NET_WM_STATE.
    window->overrideWindowFlags(flags);
    if (QWindow *handle = window->windowHandle()) {
        handle->setFlags(flags);
    }
    return true;
}

bool QtPlatform::trayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool QtPlatform::addTrayIcon(const QIcon &icon, const QString &tip, std::function<void(int message)> activated)
{
    if (!trayAvailable()) {
        qCWarning(lcPlatform) << "no notification area to put the icon in";
        return false;
    }
    if (icon.isNull()) {
        qCWarning(lcPlatform) << "the notification-area icon has no picture";
        return false;
    }
    m_trayIcon = std::make_unique<QSystemTrayIcon>(icon);
    m_trayIcon->setToolTip(tip);
    // On the X11 tray Qt reports a left press as Trigger and a right press as Context.
    QObject::connect(m_trayIcon.get(), &QSystemTrayIcon::activated, m_trayIcon.get(),
                     [activated = std::move(activated)](QSystemTrayIcon::ActivationReason reason) {
                         switch (reason) {
                         case QSystemTrayIcon::Trigger:
                             activated(TrayMessage::LeftButtonDown);
                             break;
                         case QSystemTrayIcon::Context:
                             activated(TrayMessage::RightButtonUp);
                             break;
                         case QSystemTrayIcon::DoubleClick:
                             activated(TrayMessage::LeftButtonDoubleClick);
                             break;
                         case QSystemTrayIcon::MiddleClick:
                             activated(TrayMessage::MiddleButtonDown);
                             break;
                         case QSystemTrayIcon::Unknown:
                             break;
                         }
                     });
    m_trayIcon->show();
    return true;
}

void QtPlatform::removeTrayIcon()
{
    if (m_trayIcon) {
        m_trayIcon->hide();
        // Deleted later: the icon may be removed from inside its own activated signal.
        m_trayIcon.release()->deleteLater();
    }
}

void QtPlatform::minimise(QWidget *window)
{
    window->showMinimized();
}

void QtPlatform::openUrl(const QUrl &url)
{
    if (!QDesktopServices::openUrl(url)) {
        qCWarning(lcPlatform) << "the desktop could not open" << url.toString();
    }
}
