#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <string>

// The time a shortcut's Modified= value in [InternetShortcut] holds (see
// ShortcutModifiedValue): a
// FILETIME written as its eight bytes in memory order (least significant
// first) in hex, often with more digits after them. Invalid when the value
// is missing, too short, not hex, or no time after 1970.
QDateTime ShortcutModifiedTime(const QString& modified);

// The Modified= value of the shortcut file at path; empty without one.
QString ShortcutModifiedValue(const std::string& path);

// The time the archive is asked for a snapshot nearest to, as its
// availability service writes it (YYYYMMDDhhmmss, UTC): the shortcut's
// Modified= when it parses, else the file's modification time (nanoseconds
// since 1970, as FileStamp keeps it).
QByteArray ArchiveTimestamp(const QString& modified, std::int64_t fileModifiedNs);
