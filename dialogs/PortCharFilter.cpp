#include "PortCharFilter.h"

#include <QKeyEvent>
#include <QLocale>

namespace {

constexpr char16_t Backspace = 8;
constexpr char16_t CarriageReturn = 13;
constexpr char16_t Escape = 27;
constexpr char16_t DeleteCharacter = 127;

} // namespace

std::optional<QChar> TypedCharacter(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
        return QChar(Backspace);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(CarriageReturn);
    case Qt::Key_Escape:
        return QChar(Escape);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return std::nullopt;
    default:
        break;
    }

    // Platforms disagree on the text of Ctrl+letter (some give the letter), so
    // derive the control character from the key, as the desktop would type it.
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const bool control = modifiers.testFlag(Qt::ControlModifier) &&
                         !modifiers.testFlag(Qt::AltModifier) &&
                         !modifiers.testFlag(Qt::MetaModifier);
    if (control && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
        return QChar(char16_t(event.key() - Qt::Key_A + 1));

    const QString text = event.text();
    if (text.isEmpty() || text.front() == QChar(DeleteCharacter))
        return std::nullopt;
    // Several characters in one keystroke (a compose sequence) are not typed
    // one by one here; stand them in by a character the port filter refuses.
    if (text.size() > 1)
        return QChar(QChar::ReplacementCharacter);
    return text.front();
}

QChar FilterPortCharacter(QChar typed, const QString& text, int selectionStart,
                          QChar decimalSeparator)
{
    if (typed == u',' || typed == u'.')
        typed = decimalSeparator;

    const bool accepted = typed == QChar(Backspace) || typed == QChar(CarriageReturn) ||
                          typed == u'-' || (typed >= u'0' && typed <= u'9') ||
                          typed == decimalSeparator;
    if (!accepted)
        return QChar();
    if (typed == decimalSeparator && text.contains(decimalSeparator))
        return QChar();
    if (typed == u'-' && (text.contains(u'-') || selectionStart != 0))
        return QChar();
    return typed;
}

QChar LocaleDecimalSeparator()
{
    const QString separator = QLocale().decimalPoint();
    return separator.isEmpty() ? QChar(u'.') : separator.front();
}
