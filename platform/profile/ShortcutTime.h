#pragma once

#include <QStringView>
#include <QtGlobal>
#include <optional>

// A shortcut's [InternetShortcut] Modified= value, which Windows writes as
// the eight bytes of a FILETIME in hex, lowest byte first (often with a
// ninth after them), as seconds since 1970; nothing when it is no such time.
std::optional<qint64> ShortcutModifiedSeconds(QStringView value);
