#pragma once

#include <QProcessEnvironment>
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

// Whether this run should ask Qt for X (the xcb platform) instead of letting it take Wayland, as it
// does wherever WAYLAND_DISPLAY is set. Under Wayland a program can neither keep its window above
// the others nor say where it opens; where the desktop offers X beside Wayland (DISPLAY set too,
// as with XWayland) the program runs there, its tray icon included. A platform the user named in
// QT_QPA_PLATFORM always wins, and with Wayland alone nothing changes. Empty counts as unset, as
// it does for Qt.
bool prefersX11(const QProcessEnvironment &environment);

// Applies prefersX11() to this process; call it before the QApplication is built.
void chooseWindowSystem();
