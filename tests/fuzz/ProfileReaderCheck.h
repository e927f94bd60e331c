#pragma once

#include "FuzzInput.h"

#include "ProfileFile.h"
#include "TextCodec.h"

#include <string>

// Any bytes as a shortcut or Config.ini: the one-shot reader and the
// editable profile agree on every lookup, and no value passes the bound.
inline std::string CheckProfileReader(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const QString section = in.text();
    const QString key = in.text();
    const QByteArray bytes = in.rest();

    const QString text = DecodeText(bytes);
    ProfileFile profile({});
    profile.loadFromBytes(bytes);

    const QString lookups[][2] = {{section, key},
                                  {QStringLiteral("InternetShortcut"), QStringLiteral("URL")},
                                  {QStringLiteral("Options"), QStringLiteral("UseProxy")}};
    for (const auto& [s, k] : lookups) {
        // Two different defaults tell a stored value from a missing one.
        const QString oneShotA = LookupProfileString(text, s, k, QStringLiteral("A"));
        const QString oneShotB = LookupProfileString(text, s, k, QStringLiteral("B"));
        const QString editableA = profile.value(s, k, QStringLiteral("A"));
        const QString editableB = profile.value(s, k, QStringLiteral("B"));
        if (oneShotA != editableA || oneShotB != editableB)
            return "readers disagree on [" + s.toStdString() + "] " + k.toStdString() + ": \"" +
                   oneShotA.toStdString() + "\" against \"" + editableA.toStdString() + "\"";
        if (oneShotA.size() > ProfileValueBound)
            return "value of " + std::to_string(oneShotA.size()) + " characters passes the bound";
    }
    return {};
}
