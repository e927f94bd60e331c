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

// The port field as a keystroke finds it.
struct PortField
{
    QString text;
    int selectionStart = 0; // the caret when nothing is selected
    int selectionLength = 0;
};

// The port field's filter for one typed character: returns the character to
// insert ("," and "." become decimalSeparator) or a null QChar when the
// character is refused. Which characters may go in is judged on the text
// before the keystroke; the port range on the text it would leave, so no
// number past the highest port can be typed.
QChar FilterPortCharacter(QChar typed, const PortField& field, QChar decimalSeparator);

// The text holds a number past the highest port, 65535, whatever its sign.
// Characters other than digits and the separator do not count.
bool PortNumberTooLarge(const QString& text, QChar decimalSeparator);

// The current locale's decimal separator, "." when it has none.
QChar LocaleDecimalSeparator();
