#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Hands a link, web address or mailto text to the desktop. One replaceable
// function, so tests can record what would be opened, or fail.

// Told that the target could not be opened and why: no opener on the PATH,
// or it failed to start or ended with an error ("xdg-open exited with
// status 3"). It may come later, from the event loop, since the opener runs
// without holding up the window.
using OpenFailed = std::function<void(const QString& why)>;
using OpenerFunction = std::function<void(const QString& target, const OpenFailed& failed)>;

void SetOpener(OpenerFunction opener); // empty function: the default opener
void OpenTarget(const QString& target, const OpenFailed& failed = {});

// The default opener's command for target: xdg-open with the target as its
// one argument. Empty when the target must not be handed over (a text that
// begins with '-' would be read as an option).
QStringList OpenerCommand(const QString& target);
