#pragma once

#include <QString>
#include <QStringList>

// What the command line and the environment ask of this run.
struct StartOptions {
    enum class Action { Run, ShowHelp, ShowVersion, Fail };
    Action action = Action::Run;
    QString serverBase; // scheme://host[:port]; empty: use the built-in sample server
    QString error;      // one line, for Action::Fail
};

// `arguments` without the program name. `environmentServer` is $PAGISCOPO_SERVER; empty counts as unset.
StartOptions parseStartOptions(const QStringList &arguments, const QString &environmentServer);

QString usageText();

// An argument as a message may show it: a user name or password left out, and control characters,
// line breaks and invisible format characters written as escapes, so the message stays one line.
QString quotedArgument(const QString &text);
