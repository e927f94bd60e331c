#pragma once

#include <QChar>
#include <QString>
#include <optional>

class QKeyEvent;

// The character a keystroke types, as a text field on the desktop would get
// it: Backspace is 8, Enter 13, Escape 27, Ctrl+letter the control character
// 1 to 26 (so Ctrl+C, Ctrl+V, Ctrl+X are 3, 22, 24). Keys that type nothing
// (arrows, Delete, Home, Tab, function keys) give no character; several
// characters at once give U+FFFD.
std::optional<QChar> TypedCharacter(const QKeyEvent& event);

// The port field's filter for one typed character, seen against the text
// before the keystroke: returns the character to insert ("," and "." become
// decimalSeparator) or a null QChar when the character is refused.
QChar FilterPortCharacter(QChar typed, const QString& text, int selectionStart,
                          QChar decimalSeparator);

// The current locale's decimal separator, "." when it has none.
QChar LocaleDecimalSeparator();
