#include "PortCharFilter.h"

#include <QKeyEvent>
#include <QLocale>
#include <algorithm>

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

QChar FilterPortCharacter(QChar typed, const PortField& field, QChar decimalSeparator)
{
    if (typed == u',' || typed == u'.')
        typed = decimalSeparator;

    const bool editing = typed == QChar(Backspace) || typed == QChar(CarriageReturn);
    const bool accepted =
        editing || typed == u'-' || (typed >= u'0' && typed <= u'9') || typed == decimalSeparator;
    if (!accepted)
        return QChar();
    const QString& text = field.text;
    if (typed == decimalSeparator && text.contains(decimalSeparator))
        return QChar();
    if (typed == u'-' && (text.contains(u'-') || field.selectionStart != 0))
        return QChar();
    if (editing)
        return typed;
    const QString after = QString(text).replace(field.selectionStart, field.selectionLength, typed);
    return PortNumberTooLarge(after, decimalSeparator) ? QChar() : typed;
}

bool PortNumberTooLarge(const QString& text, QChar decimalSeparator)
{
    constexpr int highestPort = 65535;
    int whole = 0;
    bool fraction = false;
    bool pastSeparator = false;
    for (const QChar c : text) {
        if (c == decimalSeparator)
            pastSeparator = true;
        else if (c < u'0' || c > u'9')
            continue;
        else if (pastSeparator)
            fraction = fraction || c != u'0';
        else
            whole = std::min(whole * 10 + (c.unicode() - u'0'), highestPort + 1);
    }
    return whole > highestPort || (whole == highestPort && fraction);
}

QChar LocaleDecimalSeparator()
{
    const QString separator = QLocale().decimalPoint();
    return separator.isEmpty() ? QChar(u'.') : separator.front();
}
