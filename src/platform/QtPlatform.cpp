#include "platform/QtPlatform.h"

#include "platform/PlatformLog.h"
#include "platform/PrivateFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTranslator>

Q_LOGGING_CATEGORY(lcPlatform, "pagiscopo.platform", QtInfoMsg)

QtPlatform::QtPlatform() : m_privateDir(preparePrivateFolder())
{
    if (!m_privateDir.isValid()) {
        qCWarning(lcPlatform) << "cannot create the private folder for the page image:" << m_privateDir.errorString();
    }
}

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

QString QtPlatform::favouritesDir() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/pagiscopo");
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

    static const char *const fontFiles[] = {"ms_sans_serif.ttf", "tahoma.ttf", "tahomabd.ttf"};
    for (const char *name : fontFiles) {
        const QString path = QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(name);
        if (QFile::exists(path) && QFontDatabase::addApplicationFont(path) < 0) {
            qCWarning(lcPlatform) << "cannot load font" << path;
        }
    }
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    QApplication::setFont(font);
}
