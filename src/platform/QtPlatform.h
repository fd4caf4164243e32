#pragma once

#include "platform/Platform.h"

#include <QTemporaryDir>

#include <memory>

class QSystemTrayIcon;

// The real desktop: Qt message boxes, the system beep, XDG folders.
class QtPlatform : public Platform
{
public:
    QtPlatform();
    ~QtPlatform() override;

    bool askYesNo(QWidget *parent, const QString &title, const QString &text) override;
    void beep() override;
    void warn(QWidget *parent, const QString &title, const QString &text) override;
    QString favouritesDir() const override;
    QString pageImagePath() const override;
    bool setStaysOnTop(QWidget *window, bool onTop) override;
    bool trayAvailable() const override;
    bool addTrayIcon(const QIcon &icon, const QString &tip, std::function<void(int message)> activated) override;
    void removeTrayIcon() override;
    void minimise(QWidget *window) override;
    void openUrl(const QUrl &url) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &proposedPath,
                         const QString &filter) override;
    void copyImage(const QImage &image) override;
    void copyText(const QString &text) override;

    // Loads Qt's own Italian texts (Sì/No on the question). Needs the application object.
    static void installTranslations();
    // Makes the Windows-metric font the layouts were drawn for every window's and dialog's own, and
    // tells the buttons' captions which bold fonts draw as their regular. Needs the application
    // object, and waits for the font system (startLoadingFontSystem). Before the first window.
    static void installApplicationFont();

private:
    std::unique_ptr<QTemporaryDir> m_privateDir; // null when no folder would take a page image
    std::unique_ptr<QSystemTrayIcon> m_trayIcon;
    bool m_warnedStaysOnTop = false;
};

// "a\rb" -> "a\nb": the question's text uses a lone carriage return as its line break.
QString displayLineBreaks(QString text);
