#include "Utf7.h"

namespace {

// The direct and optional-direct characters and the blanks that may be
// written as themselves. '+' opens a run; '\' and '~' must be encoded.
bool isDirect(char16_t c)
{
    if (c == u'\t' || c == u'\n' || c == u'\r')
        return true;
    return c >= 0x20 && c < 0x7F && c != u'+' && c != u'\\' && c != u'~';
}

int base64Value(char16_t c)
{
    if (c >= u'A' && c <= u'Z')
        return c - u'A';
    if (c >= u'a' && c <= u'z')
        return 26 + (c - u'a');
    if (c >= u'0' && c <= u'9')
        return 52 + (c - u'0');
    if (c == u'+')
        return 62;
    if (c == u'/')
        return 63;
    return -1;
}

bool pairsSurrogates(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isLowSurrogate())
            return false;
        if (text[i].isHighSurrogate()) {
            if (i + 1 == text.size() || !text[i + 1].isLowSurrogate())
                return false;
            ++i;
        }
    }
    return true;
}

// Decodes the base64 run that starts at *at onto out and moves *at past it
// and its closing '-', if any. False when the run is empty, leaves a whole
// digit or set bits unused, or gives a NUL.
bool decodeRun(QStringView text, qsizetype* at, QString& out)
{
    quint32 bits = 0;
    int bitCount = 0;
    qsizetype i = *at;
    for (; i < text.size(); ++i) {
        const int value = base64Value(text[i].unicode());
        if (value < 0)
            break;
        bits = (bits << 6) | quint32(value);
        bitCount += 6;
        if (bitCount < 16)
            continue;
        bitCount -= 16;
        const char16_t unit = char16_t(bits >> bitCount);
        if (unit == 0)
            return false;
        out.append(QChar(unit));
        bits &= (1u << bitCount) - 1;
    }
    if (i == *at || bitCount >= 6 || bits != 0)
        return false;
    *at = i < text.size() && text[i] == u'-' ? i + 1 : i;
    return true;
}

// What the writer puts down as itself: set D and the blanks. The optional
// direct characters ("!#$%&*;<=>@[]^_`{|}) get encoded, as Windows does.
bool writtenDirectly(char16_t c)
{
    if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n')
        return true;
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))
        return true;
    return QStringView(u"'(),-./:?").contains(QChar(c));
}

constexpr char Base64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Encodes the run of characters to encode that starts at *at onto out and
// moves *at past it.
void encodeRun(QStringView text, qsizetype* at, QString& out)
{
    out.append(u'+');
    quint32 bits = 0;
    int bitCount = 0;
    qsizetype i = *at;
    for (; i < text.size() && !writtenDirectly(text[i].unicode()) && text[i] != u'+'; ++i) {
        bits = (bits << 16) | text[i].unicode();
        bitCount += 16;
        while (bitCount >= 6) {
            bitCount -= 6;
            out.append(QLatin1Char(Base64Digits[(bits >> bitCount) & 63]));
        }
        bits &= (1u << bitCount) - 1;
    }
    if (bitCount > 0)
        out.append(QLatin1Char(Base64Digits[(bits << (6 - bitCount)) & 63]));
    out.append(u'-');
    *at = i;
}

} // namespace

QString EncodeUtf7(QStringView text)
{
    QString out;
    out.reserve(text.size());
    qsizetype at = 0;
    while (at < text.size()) {
        const char16_t c = text[at].unicode();
        if (c == u'+') {
            out.append(QStringLiteral("+-"));
            ++at;
        } else if (writtenDirectly(c)) {
            out.append(QChar(c));
            ++at;
        } else {
            encodeRun(text, &at, out);
        }
    }
    return out;
}

std::optional<QString> DecodeUtf7(QStringView text)
{
    QString out;
    out.reserve(text.size());
    qsizetype at = 0;
    while (at < text.size()) {
        const char16_t c = text[at++].unicode();
        if (c != u'+') {
            if (!isDirect(c))
                return std::nullopt;
            out.append(QChar(c));
        } else if (at < text.size() && text[at] == u'-') {
            out.append(u'+');
            ++at;
        } else if (!decodeRun(text, &at, out)) {
            return std::nullopt;
        }
    }
    if (!pairsSurrogates(out))
        return std::nullopt;
    return out;
}
