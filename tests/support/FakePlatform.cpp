#include "FakePlatform.h"

FakePlatform::FakePlatform() = default;

bool FakePlatform::askYesNo(QWidget *, const QString &title, const QString &text)
{
    questions.append({title, text});
    if (whileAsking) {
        whileAsking();
    }
    return answers.isEmpty() ? false : answers.takeFirst();
}

void FakePlatform::warn(QWidget *, const QString &title, const QString &text)
{
    warnings.append({title, text});
}

QString FakePlatform::favouritesDir() const
{
    return m_dir.filePath(QStringLiteral("config/pagiscopo"));
}

QString FakePlatform::pageImagePath() const
{
    return pageImageFile.isEmpty() ? m_dir.filePath(QStringLiteral("imma.png")) : pageImageFile;
}

bool FakePlatform::setStaysOnTop(QWidget *, bool onTop)
{
    staysOnTopCalls.append(onTop);
    return canStayOnTop;
}

bool FakePlatform::addTrayIcon(const QIcon &icon, const QString &tip, std::function<void(int)> activated)
{
    if (!hasTray) {
        return false;
    }
    trayIconShown = true;
    trayIcon = icon;
    trayTip = tip;
    m_trayActivated = std::move(activated);
    return true;
}

void FakePlatform::removeTrayIcon()
{
    ++trayRemovals;
    trayIconShown = false;
}

void FakePlatform::trayClick(int message)
{
    if (trayIconShown && m_trayActivated) {
        // A copy: the handler may remove the icon, and the callback with it.
        auto activated = m_trayActivated;
        activated(message);
    }
}

void FakePlatform::minimise(QWidget *)
{
    ++minimised;
}

QString FakePlatform::saveFileName(QWidget *, const QString &title, const QString &proposedPath, const QString &filter)
{
    saveDialogs.append({title, proposedPath, filter});
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}
