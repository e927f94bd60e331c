#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// A path's bytes as text that tells every path apart: valid UTF-8 is
// decoded, any other byte is written as "\xff", and a backslash as "\\", so
// that an escape never reads like a name holding those letters.
QString EscapedPath(QByteArrayView path);

// Text fit for a terminal, where control characters would act (erase lines,
// move the cursor): each of them (C0, DEL, C1) is written as the "\x1b"
// escapes of its UTF-8 bytes, and a backslash as "\\".
QString TerminalText(QStringView text);

// A path for a terminal: both of the above at once.
QString TerminalPath(QByteArrayView path);
