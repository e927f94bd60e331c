#pragma once

#include "FuzzInput.h"

#include "PortCharFilter.h"

#include <QKeyEvent>
#include <string>

// Types a stream of keystrokes into a simulated port field: what the filter
// lets through keeps the field to digits, at most one "-" and at most one
// decimal separator, and every control character is refused.
inline std::string CheckPortFilter(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const QChar separators[] = {u'.', u',', QChar(0x066B), QChar(0x00B7)};
    const QChar separator = separators[in.byte() % std::size(separators)];
    QString field;
    int caret = 0;
    for (int step = 0; step < 256; ++step) {
        const std::uint8_t kind = in.byte();
        const char16_t unit = char16_t(in.byte() | in.byte() << 8);
        if (kind == 0 && unit == 0)
            break; // out of input
        if (kind % 4 == 0) {
            caret = field.isEmpty() ? 0 : unit % (field.size() + 1);
            continue;
        }
        QChar typed(unit);
        if (kind % 4 == 1) {
            // A keystroke as the desktop delivers it, modifiers included.
            const Qt::KeyboardModifiers modifiers = Qt::KeyboardModifiers((kind >> 2) << 25);
            const QKeyEvent event(QEvent::KeyPress, int(unit) | (kind & 0x80 ? 0x01000000 : 0),
                                  modifiers, QString(QChar(in.byte())));
            const std::optional<QChar> character = TypedCharacter(event);
            if (!character)
                continue;
            typed = *character;
        }
        const QChar result = FilterPortCharacter(typed, PortField{field, caret, 0}, separator);
        if (result.isNull())
            continue;
        if ((typed == u'.' || typed == u',') && result != separator)
            return "a full stop or comma became something other than the separator";
        if (result == QChar(8)) {
            if (caret > 0)
                field.remove(--caret, 1);
            continue;
        }
        if (result == QChar(13))
            continue;
        const bool allowed =
            (result >= u'0' && result <= u'9') || result == u'-' || result == separator;
        if (!allowed)
            return "let through U+" + std::to_string(result.unicode());
        if ((result == u'-' && field.contains(u'-')) ||
            (result == separator && field.contains(separator)))
            return "a second \"" + QString(result).toStdString() + "\" got in";
        if (result == u'-' && caret != 0)
            return "\"-\" let in away from the start";
        field.insert(caret++, result);
    }
    return {};
}
