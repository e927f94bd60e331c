#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// Strict UTF-7 (RFC 2152), the form Windows keeps a shortcut's Unicode
// address in. Only well-formed text decodes: characters that may stand for
// themselves, '+' runs of the modified base64 alphabet whose unused last bits
// are fewer than six and all zero, "+-" for '+', and UTF-16 whose surrogates
// pair up and that holds no NUL. Anything else gives nothing, so that a
// damaged address is never taken for the real one.
std::optional<QString> DecodeUtf7(QStringView text);
