#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Where a page sends the browser on by itself, as a redirect would. Only
// what a browser does at once or soon counts: a refresh after more than
// 10 s is a page that updates itself, and leaves the person time to read it.

// The address in a <meta http-equiv="refresh"> content ("5; url=/next"),
// read as a browser reads it, character references decoded; nothing when
// the refresh comes later than 10 s, names no address (the page reloads
// itself) or is no refresh a browser would act on.
std::optional<QString> RefreshTarget(QStringView content);

// The address a script that does nothing but set the location sends the
// browser to: "location = '...'", "window.location.href = '...'",
// "location.replace('...')" and the like, with a literal address; nothing
// for any other script.
std::optional<QString> ScriptTarget(QStringView script);
