#include "HtmlCharset.h"

#include <algorithm>
#include <array>

namespace {

bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && blank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    return text;
}

QByteArrayView unquoted(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

// One attribute of a tag, read from at; at moves past it.
struct Attribute
{
    QByteArray name;
    QByteArrayView value;
};

// Reads the next attribute of the tag whose attributes start at `at`; false
// at the tag's end.
bool nextAttribute(QByteArrayView html, qsizetype& at, Attribute& attribute)
{
    while (at < html.size() && (blank(html[at]) || html[at] == '/'))
        ++at;
    if (at >= html.size() || html[at] == '>')
        return false;
    const qsizetype nameStart = at;
    while (at < html.size() && !blank(html[at]) && html[at] != '=' && html[at] != '>' &&
           html[at] != '/')
        ++at;
    attribute.name = html.sliced(nameStart, at - nameStart).toByteArray().toLower();
    attribute.value = {};
    while (at < html.size() && blank(html[at]))
        ++at;
    if (at >= html.size() || html[at] != '=')
        return true;
    ++at;
    while (at < html.size() && blank(html[at]))
        ++at;
    if (at < html.size() && (html[at] == '"' || html[at] == '\'')) {
        const qsizetype close = html.indexOf(html[at], at + 1);
        const qsizetype end = close < 0 ? html.size() : close;
        attribute.value = html.sliced(at + 1, end - at - 1);
        at = close < 0 ? end : end + 1;
        return true;
    }
    const qsizetype valueStart = at;
    while (at < html.size() && !blank(html[at]) && html[at] != '>')
        ++at;
    attribute.value = html.sliced(valueStart, at - valueStart);
    return true;
}

// "text/html; charset=koi8-r" gives "koi8-r": the word after "charset" and
// an equals sign, as a browser takes it from a meta's content attribute.
QByteArray charsetInContent(QByteArrayView content)
{
    const QByteArray lower = content.toByteArray().toLower();
    for (qsizetype at = lower.indexOf("charset"); at >= 0; at = lower.indexOf("charset", at + 1)) {
        qsizetype pos = at + 7;
        while (pos < lower.size() && blank(lower[pos]))
            ++pos;
        if (pos >= lower.size() || lower[pos] != '=')
            continue;
        ++pos;
        while (pos < lower.size() && blank(lower[pos]))
            ++pos;
        const qsizetype start = pos;
        while (pos < lower.size() && !blank(lower[pos]) && lower[pos] != ';')
            ++pos;
        return unquoted(QByteArrayView(content).sliced(start, pos - start)).toByteArray();
    }
    return {};
}

QByteArray charsetOfMeta(QByteArrayView html, qsizetype at)
{
    bool contentType = false;
    QByteArray fromContent;
    Attribute attribute;
    while (nextAttribute(html, at, attribute)) {
        if (attribute.name == "charset")
            return trimmed(attribute.value).toByteArray();
        if (attribute.name == "http-equiv")
            contentType =
                trimmed(attribute.value).compare("content-type", Qt::CaseInsensitive) == 0;
        else if (attribute.name == "content")
            fromContent = charsetInContent(attribute.value);
    }
    return contentType ? fromContent : QByteArray();
}

struct Alias
{
    const char* iconvName;
    std::array<const char*, 12> labels;
};

// Labels browsers read as another, wider charset, because pages labelled so
// are in practice written in the wider one.
const Alias Aliases[] = {
    {"UTF-8", {"utf-8", "utf8", "unicode-1-1-utf-8"}},
    {"CP1252",
     {"iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "l1", "ascii", "us-ascii", "cp819",
      "ibm819", "windows-1252", "cp1252", "x-cp1252"}},
    {"CP1254", {"iso-8859-9", "iso8859-9", "latin5", "l5", "windows-1254", "cp1254"}},
    {"CP874", {"iso-8859-11", "tis-620", "windows-874", "cp874"}},
    {"CP1251", {"windows-1251", "cp1251", "x-cp1251"}},
    {"CP1250", {"windows-1250", "cp1250", "x-cp1250"}},
    {"CP932",
     {"shift_jis", "shift-jis", "sjis", "x-sjis", "ms_kanji", "csshiftjis", "windows-31j", "ms932",
      "cp932"}},
    {"CP949", {"euc-kr", "ks_c_5601-1987", "ksc5601", "korean", "windows-949", "cp949"}},
    {"GB18030",
     {"gb2312", "gbk", "x-gbk", "cp936", "gb_2312-80", "csgb2312", "chinese", "gb18030"}},
    {"BIG5-HKSCS", {"big5", "big5-hkscs", "cn-big5", "x-x-big5", "csbig5", "cp950"}},
    {"UTF-16LE", {"utf-16", "utf-16le"}},
};

bool labelCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' ||
           c == ':';
}

} // namespace

QByteArray MediaTypeOf(QByteArrayView contentType)
{
    const qsizetype semicolon = contentType.indexOf(';');
    return trimmed(semicolon < 0 ? contentType : contentType.first(semicolon))
        .toByteArray()
        .toLower();
}

QByteArray CharsetParameter(QByteArrayView contentType)
{
    qsizetype at = contentType.indexOf(';');
    while (at >= 0) {
        const qsizetype next = contentType.indexOf(';', at + 1);
        const QByteArrayView part =
            trimmed(contentType.sliced(at + 1, (next < 0 ? contentType.size() : next) - at - 1));
        const qsizetype equals = part.indexOf('=');
        if (equals >= 0 && trimmed(part.first(equals)).compare("charset", Qt::CaseInsensitive) == 0)
            return trimmed(unquoted(trimmed(part.sliced(equals + 1)))).toByteArray();
        at = next;
    }
    return {};
}

QByteArray CharsetFromMeta(QByteArrayView head)
{
    qsizetype at = 0;
    while (at < head.size()) {
        const qsizetype open = head.indexOf('<', at);
        if (open < 0)
            break;
        const QByteArrayView rest = head.sliced(open);
        if (rest.startsWith("<!--")) {
            const qsizetype close = head.indexOf("-->", open + 4);
            if (close < 0)
                break;
            at = close + 3;
            continue;
        }
        at = open + 1;
        if (rest.size() > 5 && rest.first(5).compare("<meta", Qt::CaseInsensitive) == 0 &&
            (blank(rest[5]) || rest[5] == '/')) {
            const QByteArray charset = charsetOfMeta(head, open + 5);
            if (!charset.isEmpty())
                return charset;
        }
    }
    return {};
}

QByteArray IconvCharsetName(QByteArrayView label)
{
    const QByteArray lower = trimmed(label).toByteArray().toLower();
    if (lower.isEmpty() || lower.size() > 40 ||
        !std::all_of(lower.begin(), lower.end(), labelCharacter))
        return {};
    for (const Alias& alias : Aliases) {
        for (const char* known : alias.labels) {
            if (known && lower == known)
                return alias.iconvName;
        }
    }
    return lower.toUpper();
}

ByteOrderMarkCharset CharsetFromByteOrderMark(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {"UTF-8", 3};
    if (bytes.startsWith("\xFF\xFE"))
        return {"UTF-16LE", 2};
    if (bytes.startsWith("\xFE\xFF"))
        return {"UTF-16BE", 2};
    return {};
}
