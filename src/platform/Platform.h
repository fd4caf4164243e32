#pragma once

#include <QString>

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

    // Folder of the favourite slot files ($XDG_CONFIG_HOME/pagiscopo). Not created here: it is
    // created by the first write.
    virtual QString favouritesDir() const = 0;

    // The file every downloaded page passes through. It lies in a folder that only this process
    // of this user uses, so nobody else can read, replace or link it.
    virtual QString pageImagePath() const = 0;
};
