#pragma once

#include <QString>

#include <functional>

class QIcon;
class QImage;
class QUrl;
class QWidget;

// Everything the windows need from the desktop goes through here, so that the windows can be
// driven by tests without a person answering dialogs or a speaker beeping.
class Platform
{
public:
    virtual ~Platform() = default;

    // A modal yes/no question. Returns true only for an explicit Yes. A lone carriage return in
    // the text separates lines.
    virtual bool askYesNo(QWidget *parent, const QString &title, const QString &text) = 0;

    virtual void beep() = 0;

    // A modal warning with an OK button, for a failure the user must know about. A lone carriage
    // return in the text separates lines.
    virtual void warn(QWidget *parent, const QString &title, const QString &text) = 0;

    // Folder of the favourite slot files ($XDG_CONFIG_HOME/pagiscopo, where a relative
    // XDG_CONFIG_HOME counts as unset). Not created here: it is created by the first write.
    virtual QString favouritesDir() const = 0;

    // The file every downloaded page passes through. It lies in a folder that only this process
    // of this user uses, so nobody else can read, replace or link it.
    virtual QString pageImagePath() const = 0;

    // Keeps a top-level window above all others, or lets it back among them, without moving,
    // resizing or re-creating it. Returns false where the window system gives a program no way to
    // do it.
    virtual bool setStaysOnTop(QWidget *window, bool onTop) = 0;

    // Whether the desktop has a notification area (system tray) to put an icon in.
    virtual bool trayAvailable() const = 0;
    // Puts the one notification-area icon of the program up, replacing one already shown.
    // `activated` receives the classic mouse message of a press or release on the icon (see
    // TrayMessage), once the icon's own event is over, so it may remove the icon. Returns false
    // when the icon cannot be shown.
    virtual bool addTrayIcon(const QIcon &icon, const QString &tip, std::function<void(int message)> activated) = 0;
    // Removes the icon; nothing happens when none is shown.
    virtual void removeTrayIcon() = 0;

    virtual void minimise(QWidget *window) = 0;

    // Opens a web page in the user's browser.
    virtual void openUrl(const QUrl &url) = 0;

    // A modal dialog that asks where to save a file, opening at `proposedPath` (its folder, with
    // its name filled in). The dialog itself asks before it lets an existing file be chosen.
    // Returns the path chosen, or an empty string when the user cancels.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &proposedPath,
                                 const QString &filter) = 0;
    // Puts a picture on the clipboard, where other programs find it as an image (image/png).
    virtual void copyImage(const QImage &image) = 0;
    // Puts plain text on the clipboard (text/plain, UTF-8).
    virtual void copyText(const QString &text) = 0;
};

// Mouse messages a notification-area icon reports, by their classic numbers.
namespace TrayMessage
{
constexpr int LeftButtonDown = 0x201;
constexpr int LeftButtonDoubleClick = 0x203;
constexpr int RightButtonUp = 0x205;
constexpr int MiddleButtonDown = 0x207;
} // namespace TrayMessage
