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

QString FakePlatform::favouritesDir() const
{
    return m_dir.filePath(QStringLiteral("config/pagiscopo"));
}

QString FakePlatform::pageImagePath() const
{
    return m_dir.filePath(QStringLiteral("imma.png"));
}
