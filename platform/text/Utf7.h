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

// The UTF-7 that Windows writes there: the characters of RFC 2152's set D,
// blank, tab, CR and LF as themselves, '+' as "+-", and every run of other
// characters as modified base64 of its UTF-16, always closed by '-'.
// DecodeUtf7 gives the text back, unless it held a NUL or an unpaired
// surrogate, which no address does.
QString EncodeUtf7(QStringView text);
