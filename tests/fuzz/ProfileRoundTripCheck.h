#pragma once

#include "FuzzInput.h"

#include "ProfileFile.h"
#include "ProfileSyntax.h"
#include "TextCodec.h"

#include <string>
#include <vector>

namespace ProfileRoundTrip {

// Lines of a profile file's bytes, each with its line end, cut the way the
// reader cuts them (CR, LF or CR LF, in units of the encoding). The BOM is
// a line of its own, so it is compared like one.
inline std::vector<QByteArray> splitLines(const QByteArray& bytes)
{
    const TextEncoding encoding = DetectEncoding(bytes);
    const qsizetype bom = ByteOrderMark(encoding).size();
    const bool wide = encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
    const qsizetype unit = wide ? 2 : 1;
    const auto unitAt = [&](qsizetype at) {
        if (!wide)
            return int(uchar(bytes[at]));
        const int first = uchar(bytes[at]);
        const int second = uchar(bytes[at + 1]);
        return encoding == TextEncoding::Utf16LE ? first | second << 8 : first << 8 | second;
    };
    std::vector<QByteArray> lines;
    if (bom > 0)
        lines.push_back(bytes.first(bom));
    qsizetype start = bom;
    qsizetype at = bom;
    while (at + unit <= bytes.size()) {
        const int c = unitAt(at);
        at += unit;
        if (c != '\r' && c != '\n')
            continue;
        if (c == '\r' && at + unit <= bytes.size() && unitAt(at) == '\n')
            at += unit;
        lines.push_back(bytes.sliced(start, at - start));
        start = at;
    }
    if (start < bytes.size())
        lines.push_back(bytes.sliced(start));
    return lines;
}

inline QString withoutLineBreaks(QString text)
{
    return text.replace(u'\r', u' ').replace(u'\n', u' ');
}

// What the reader hands back for a written value: line breaks are spaces,
// and the text is cut to the bound without splitting a surrogate pair.
inline QString expectedValue(const QString& value)
{
    QString expected = withoutLineBreaks(value);
    if (expected.size() > ProfileValueBound) {
        qsizetype cut = ProfileValueBound;
        if (expected[cut - 1].isHighSurrogate())
            --cut;
        expected.truncate(cut);
    }
    return expected;
}

// Whether an 8-bit file in the locale's code page can hold text at all.
inline bool fitsEncoding(const QString& text, TextEncoding encoding)
{
    if (encoding != TextEncoding::Ansi)
        return true;
    const int codePage = AnsiCodePage();
    return DecodeCodePage(EncodeCodePage(text, codePage), codePage) == text;
}

// Every line of before, except at most one, is in after unchanged and in
// the same order; the one changed line is the edited key or a last line that
// only gained its line end. At most two lines are added.
inline std::string checkUntouchedLines(const QByteArray& before, const QByteArray& after)
{
    const std::vector<QByteArray> a = splitLines(before);
    const std::vector<QByteArray> b = splitLines(after);
    size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    const size_t changedBefore = a.size() - prefix - suffix;
    const size_t changedAfter = b.size() - prefix - suffix;
    if (changedBefore > 1)
        return std::to_string(changedBefore) + " lines changed, from line " +
               std::to_string(prefix + 1);
    if (changedAfter > changedBefore + 2)
        return std::to_string(changedAfter - changedBefore) + " lines added";
    return {};
}

} // namespace ProfileRoundTrip

// Load any bytes, set one value, write, read again: the value reads back
// exactly as written and no other line changes. An unedited file is written
// back as the very same bytes.
inline std::string CheckProfileRoundTrip(const std::uint8_t* data, std::size_t size)
{
    using namespace ProfileRoundTrip;
    FuzzInput in(data, size);
    const QString section = in.text();
    const QString key = in.text();
    const QString value = in.text();
    const QByteArray bytes = in.rest();

    ProfileFile profile({});
    profile.loadFromBytes(bytes);
    if (profile.toBytes() != bytes)
        return "an unedited file is not written back as it was";

    const TextEncoding encoding = DetectEncoding(bytes);
    // Text the file's code page lacks is lost by design; nothing to compare.
    if (!fitsEncoding(section + key + value, encoding))
        return {};

    profile.setValue(section, key, value);
    const QByteArray written = profile.toBytes();
    const QString cleanKey = TrimProfileBlanks(withoutLineBreaks(key)).toString();
    if (cleanKey.contains(u'=') || cleanKey.startsWith(u'[')) {
        if (written != bytes)
            return "a refused key changed the file";
        return {};
    }

    ProfileFile reloaded({});
    reloaded.loadFromBytes(written);
    const QString lookupSection = withoutLineBreaks(section);
    const QString lookupKey = withoutLineBreaks(key);
    const QString expected = expectedValue(value);
    const QString readA = reloaded.value(lookupSection, lookupKey, QStringLiteral("A"));
    const QString readB = reloaded.value(lookupSection, lookupKey, QStringLiteral("B"));
    if (readA != expected || readB != expected)
        return "wrote \"" + expected.toStdString() + "\", read back \"" + readA.toStdString() +
               "\"";
    if (profile.value(lookupSection, lookupKey) != expected)
        return "the edited profile does not read its own value";

    // An 8-bit file that an edit turned into valid UTF-8 is rewritten whole
    // as UTF-8 on purpose; its lines keep their text, not their bytes.
    if (encoding == TextEncoding::Ansi && DetectEncoding(written) != TextEncoding::Ansi)
        return {};
    return checkUntouchedLines(bytes, written);
}
