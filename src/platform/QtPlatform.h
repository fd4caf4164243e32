#pragma once

#include "platform/Platform.h"

#include <QTemporaryDir>

// The real desktop: Qt message boxes, the system beep, XDG folders.
class QtPlatform : public Platform
{
public:
    QtPlatform();

    bool askYesNo(QWidget *parent, const QString &title, const QString &text) override;
    void beep() override;
    QString favouritesDir() const override;
    QString pageImagePath() const override;

    // Loads Qt's own Italian texts (Sì/No on the question) and the Windows-metric fonts the
    // layouts were drawn for. Needs the application object.
    static void installTranslationsAndFonts();

private:
    QTemporaryDir m_privateDir;
};

// "a\rb" -> "a\nb": the question's text uses a lone carriage return as its line break.
QString displayLineBreaks(QString text);
