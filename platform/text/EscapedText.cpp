#include "EscapedText.h"

namespace {

// One character of valid UTF-8 at the start of some bytes; length 0 when
// the first byte begins none (a stray continuation byte, an overlong form,
// a surrogate, a value past U+10FFFF, a cut-off sequence).
struct Utf8Char
{
    char32_t code = 0;
    qsizetype length = 0;
};

struct LeadByte
{
    uchar first;
    uchar last;
    qsizetype length;
    uchar valueBits;
    char32_t least; // anything lower is an overlong form
};

const LeadByte LeadBytes[] = {
    {0xC2, 0xDF, 2, 0x1F, 0x80},
    {0xE0, 0xEF, 3, 0x0F, 0x800},
    {0xF0, 0xF4, 4, 0x07, 0x10000},
};

Utf8Char firstChar(QByteArrayView bytes)
{
    const auto lead = uchar(bytes.front());
    if (lead < 0x80)
        return {lead, 1};
    for (const LeadByte& kind : LeadBytes) {
        if (lead < kind.first || lead > kind.last || bytes.size() < kind.length)
            continue;
        char32_t code = lead & kind.valueBits;
        for (qsizetype i = 1; i < kind.length; ++i) {
            const auto next = uchar(bytes[i]);
            if ((next & 0xC0) != 0x80)
                return {};
            code = (code << 6) | (next & 0x3F);
        }
        if (code < kind.least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return {};
        return {code, kind.length};
    }
    return {};
}

bool isControl(char32_t code)
{
    return code < 0x20 || code == 0x7F || (code >= 0x80 && code <= 0x9F);
}

// The embeddings, overrides and isolates: each turns or shifts the text
// after it until the line ends, so a name could hide what follows it.
bool isBidiControl(char32_t code)
{
    return (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

// JSON's form, which reads as well in the other formats.
QString unicodeEscape(char32_t code)
{
    return QStringLiteral("\\u%1").arg(uint(code), 4, 16, QLatin1Char('0'));
}

void appendHex(QString& text, QByteArrayView bytes)
{
    for (const char byte : bytes)
        text += QStringLiteral("\\x%1").arg(uint(uchar(byte)), 2, 16, QLatin1Char('0'));
}

QString escaped(QByteArrayView bytes, bool forTerminal)
{
    QString text;
    text.reserve(bytes.size());
    while (!bytes.isEmpty()) {
        const Utf8Char next = firstChar(bytes);
        const qsizetype used = next.length ? next.length : 1;
        if (next.length == 0 || (forTerminal && isControl(next.code)))
            appendHex(text, bytes.first(used));
        else if (forTerminal && isBidiControl(next.code))
            text += unicodeEscape(next.code);
        else if (next.code == U'\\')
            text += QStringLiteral("\\\\");
        else
            text += QStringView(QChar::fromUcs4(next.code));
        bytes = bytes.sliced(used);
    }
    return text;
}

} // namespace

QString EscapedPath(QByteArrayView path)
{
    return escaped(path, false);
}

QString TerminalText(QStringView text)
{
    return escaped(text.toUtf8(), true);
}

QString TerminalPath(QByteArrayView path)
{
    return escaped(path, true);
}

QByteArray TerminalJson(QByteArrayView json)
{
    const QString text = QString::fromUtf8(json);
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : text) {
        const char32_t code = c.unicode();
        if ((code >= 0x7F && isControl(code)) || isBidiControl(code))
            safe += unicodeEscape(code);
        else
            safe += c;
    }
    return safe.toUtf8();
}
