#include "platform/QtPlatform.h"

#include "customButton/buttonpainter.h"
#include "platform/Fonts.h"
#include "platform/PlatformLog.h"
#include "platform/PrivateFolder.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTranslator>
#include <QUrl>
#include <QWindow>


QtPlatform::QtPlatform() : m_privateDir(createPrivateFolder()) {}

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
    if (!m_privateDir) {
        return {};
    }
    return m_privateDir->filePath(QStringLiteral("imma.png"));
}

void QtPlatform::installTranslations()
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
}

void QtPlatform::installApplicationFont()
{
    // The buttons' bold captions need not load a bold face to learn that the strikes have none.
    setBoldDrawnAsRegularHint(boldDrawnAsRegular);
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

namespace
{

// The classic icon restores the window when the right button comes up, while Qt's X11 tray
// reports the right press only. Armed at that press, this waits for the release that ends it.
class RightReleaseWatcher : public QObject
{
public:
    RightReleaseWatcher(QObject *parent, std::function<void()> released)
        : QObject(parent), m_released(std::move(released))
    {
    }
    ~RightReleaseWatcher() override { disarm(); }

    void arm()
    {
        if (!m_armed) {
            qApp->installEventFilter(this);
            m_armed = true;
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            disarm();
            m_released();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void disarm()
    {
        if (m_armed) {
            qApp->removeEventFilter(this);
            m_armed = false;
        }
    }

    std::function<void()> m_released;
    bool m_armed = false;
};

} // namespace

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
    QSystemTrayIcon *trayIcon = m_trayIcon.get();
    // Handed on only once Qt is done with the mouse event: the handler removes the icon, and on X11
    // that deletes the widget the event is still being delivered to (after a right press Qt goes
    // on to send it a context-menu event). Bound to the icon, so a removed icon reports nothing.
    const auto report = [trayIcon, activated = std::move(activated)](int message) {
        QMetaObject::invokeMethod(
            trayIcon, [activated, message] { activated(message); }, Qt::QueuedConnection);
    };
    auto *rightRelease = new RightReleaseWatcher(trayIcon, [report] { report(TrayMessage::RightButtonUp); });
    QObject::connect(trayIcon, &QSystemTrayIcon::activated, trayIcon,
                     [report, rightRelease](QSystemTrayIcon::ActivationReason reason) {
                         switch (reason) {
                         case QSystemTrayIcon::Trigger:
                             report(TrayMessage::LeftButtonDown);
                             break;
                         case QSystemTrayIcon::Context:
                             // The X11 tray reports the press, with the button still down; a
                             // StatusNotifier tray asks for the menu after the click is over.
                             if (QGuiApplication::mouseButtons().testFlag(Qt::RightButton)) {
                                 qCDebug(lcPlatform) << "right press on the tray icon; waiting for its release";
                                 rightRelease->arm();
                             } else {
                                 report(TrayMessage::RightButtonUp);
                             }
                             break;
                         case QSystemTrayIcon::DoubleClick:
                             report(TrayMessage::LeftButtonDoubleClick);
                             break;
                         case QSystemTrayIcon::MiddleClick:
                             report(TrayMessage::MiddleButtonDown);
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
    // Never called from inside the icon's own events (see addTrayIcon), so the icon can go at
    // once: closing the program right after must not leave it in the tray.
    m_trayIcon.reset();
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

QString QtPlatform::saveFileName(QWidget *parent, const QString &title, const QString &proposedPath,
                                 const QString &filter)
{
    const QFileInfo proposed(proposedPath);
    QFileDialog dialog(parent, title, proposed.absolutePath(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without its extension still makes a .png (and is asked about if it exists).
    dialog.setDefaultSuffix(proposed.suffix());
    dialog.selectFile(proposed.fileName());
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0);
}

void QtPlatform::copyImage(const QImage &image)
{
    // Qt offers the picture in every format it can write, PNG first, to whoever asks for it.
    QGuiApplication::clipboard()->setImage(image);
}

void QtPlatform::copyText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}
