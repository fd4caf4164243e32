#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

// The platform for tests: questions are answered from a script, beeps are counted, and the folders
// live in a temporary directory that disappears with the object.
class FakePlatform : public Platform
{
public:
    FakePlatform();

    bool askYesNo(QWidget *parent, const QString &title, const QString &text) override;
    void beep() override { ++beeps; }
    QString favouritesDir() const override;
    QString pageImagePath() const override;

    // Answers given to the next questions, in order; when the script is empty the answer is No.
    QList<bool> answers;
    // Runs while a question is "on screen", before it is answered (for nested activity).
    std::function<void()> whileAsking;

    struct Question {
        QString title;
        QString text;
    };
    QList<Question> questions;
    int beeps = 0;

private:
    QTemporaryDir m_dir;
};
