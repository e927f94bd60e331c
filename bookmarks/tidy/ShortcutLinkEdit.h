#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The bytes of a shortcut file with its link changed: URL= in
// [InternetShortcut] and in its [InternetShortcut.A] copy in the file's own
// encoding, and in [InternetShortcut.W] as UTF-7, each only where the file
// has it. Every other byte stays, line ends and the order of everything
// included. A file without a byte order mark gets the characters its code
// page lacks (ASCII, when its bytes do not tell the code page) as
// percent-encoded UTF-8, as they travel anyway, rather than the '?' that
// would make another address; the .W copy keeps them exactly. Nothing when
// the file has no URL= in any of those sections.
std::optional<QByteArray> WithShortcutLink(const QByteArray& bytes, const QString& link);
