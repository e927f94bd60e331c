#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The text of a character reference, its name given without "&" and ";":
// numeric ("#1085", "#x43D"), the markup ones ("amp", "nbsp", ...), the
// Latin letters with accents ("eacute", "Auml", "szlig", ...) and the common
// punctuation. Nothing when the name is none of these, so the caller keeps
// the text as written.
std::optional<QString> DecodeHtmlEntity(QStringView name);
