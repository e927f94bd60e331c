#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Hands a link, web address or mailto text to the desktop. One replaceable
// function, so tests can record what would be opened.
using OpenerFunction = std::function<void(const QString& target)>;

void SetOpener(OpenerFunction opener); // empty function: the default opener
void OpenTarget(const QString& target);

// The default opener's command for target: xdg-open with the target as its
// one argument. Empty when the target must not be handed over (a text that
// begins with '-' would be read as an option).
QStringList OpenerCommand(const QString& target);
