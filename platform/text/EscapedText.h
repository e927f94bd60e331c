#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// A path's bytes as text that tells every path apart: valid UTF-8 is
// decoded, any other byte is written as "\xff", and a backslash as "\\", so
// that an escape never reads like a name holding those letters.
QString EscapedPath(QByteArrayView path);

// Text fit for a terminal, where control characters would act (erase lines,
// move the cursor): each of them (C0, DEL, C1) is written as the "\x1b"
// escapes of its UTF-8 bytes, a bidirectional control (U+202A to U+202E,
// U+2066 to U+2069), which would show the rest of the line reversed or
// moved, as "\u202e", and a backslash as "\\".
QString TerminalText(QStringView text);

// A path for a terminal: both of the above at once.
QString TerminalPath(QByteArrayView path);

// JSON text fit for a terminal: the controls a JSON writer may leave as
// they are (DEL, C1) and the bidirectional ones become "\u" escapes, which
// every JSON reader turns back into the same text.
QByteArray TerminalJson(QByteArrayView json);
