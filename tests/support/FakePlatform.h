#pragma once

#include "platform/Platform.h"

#include <QIcon>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>

// The platform for tests: questions are answered from a script, beeps are counted, and the folders
// live in a temporary directory that disappears with the object.
class FakePlatform : public Platform
{
public:
    FakePlatform();

    bool askYesNo(QWidget *parent, const QString &title, const QString &text) override;
    void beep() override { ++beeps; }
    void warn(QWidget *parent, const QString &title, const QString &text) override;
    QString favouritesDir() const override;
    QString pageImagePath() const override;
    bool setStaysOnTop(QWidget *window, bool onTop) override;
    bool trayAvailable() const override { return hasTray; }
    bool addTrayIcon(const QIcon &icon, const QString &tip, std::function<void(int message)> activated) override;
    void removeTrayIcon() override;
    void minimise(QWidget *window) override;
    void openUrl(const QUrl &url) override { openedUrls.append(url); }
    QString saveFileName(QWidget *parent, const QString &title, const QString &proposedPath,
                         const QString &filter) override;
    void copyImage(const QImage &image) override { copiedImages.append(image); }
    void copyText(const QString &text) override { copiedTexts.append(text); }

    // Answers given to the next questions, in order; when the script is empty the answer is No.
    QList<bool> answers;
    // Runs while a question is "on screen", before it is answered (for nested activity).
    std::function<void()> whileAsking;

    struct Question {
        QString title;
        QString text;
    };
    QList<Question> questions;
    // Every warning shown, in order (a warning has only its OK button, so nothing to script).
    QList<Question> warnings;
    int beeps = 0;

    // Every always-on-top request, in order; `canStayOnTop` is what the window system can do.
    QList<bool> staysOnTopCalls;
    bool canStayOnTop = true;

    // The notification area. `trayClick(message)` plays the user acting on the icon.
    bool hasTray = true;
    bool trayIconShown = false;
    QString trayTip;
    QIcon trayIcon;
    int trayRemovals = 0;
    void trayClick(int message);

    int minimised = 0;
    // Where pages pass through; the fake's own folder while empty.
    QString pageImageFile;
    QList<QUrl> openedUrls;

    // The save dialog: the paths chosen in the next dialogs, in order (an empty one cancels, and
    // so does an empty script), and every dialog opened.
    QStringList saveAnswers;
    struct SaveDialog {
        QString title;
        QString proposedPath;
        QString filter;
    };
    QList<SaveDialog> saveDialogs;
    QList<QImage> copiedImages;
    QList<QString> copiedTexts;

private:
    QTemporaryDir m_dir;
    std::function<void(int)> m_trayActivated;
};
