#include "ProfileSyntax.h"

bool IsProfileBlank(QChar c)
{
    switch (c.unicode()) {
    case u'\t':
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case 0x1A: // Ctrl-Z, the DOS end-of-file mark
    case u' ':
        return true;
    default:
        return false;
    }
}

QStringView TrimProfileBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsProfileBlank(text[begin]))
        ++begin;
    while (end > begin && IsProfileBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

ProfileLine ParseProfileLine(QStringView line)
{
    ProfileLine parsed;
    line = TrimProfileBlanks(line);
    if (line.isEmpty())
        return parsed;
    if (line.front() == u'[') {
        // A header without any ']' still opens a section named by the rest
        // of the line, so a typo does not hand its keys to the section above.
        const qsizetype close = line.lastIndexOf(u']');
        parsed.kind = ProfileLine::Header;
        parsed.name = TrimProfileBlanks(close > 0 ? line.sliced(1, close - 1) : line.sliced(1));
        return parsed;
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0) {
        parsed.kind = ProfileLine::Other;
        return parsed;
    }
    parsed.kind = ProfileLine::Key;
    parsed.name = TrimProfileBlanks(line.first(equals));
    parsed.value = TrimProfileBlanks(line.sliced(equals + 1));
    return parsed;
}

QString ProfileValueText(QStringView value)
{
    return BoundProfileValue(UnquoteProfileValue(value)).toString();
}

QStringView UnquoteProfileValue(QStringView value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

QStringView BoundProfileValue(QStringView value)
{
    if (value.size() <= ProfileValueBound)
        return value;
    qsizetype cut = ProfileValueBound;
    if (value[cut - 1].isHighSurrogate() && value[cut].isLowSurrogate())
        --cut;
    return value.first(cut);
}

bool SameProfileName(QStringView a, QStringView b)
{
    // Simple case folding keeps the length, so unequal sizes never match;
    // names are mostly spelled alike, and an exact match is cheap.
    return a.size() == b.size() && (a == b || a.compare(b, Qt::CaseInsensitive) == 0);
}

QString FoldProfileName(QStringView name)
{
    // Code point by code point, as the comparison above folds: a fold that
    // turned one character into several (German sharp s) would split names
    // that it calls equal.
    QString folded;
    folded.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), name[++i].unicode());
        const char32_t fold = QChar::toCaseFolded(c);
        if (QChar::requiresSurrogates(fold)) {
            folded += QChar(QChar::highSurrogate(fold));
            folded += QChar(QChar::lowSurrogate(fold));
        } else {
            folded += QChar(char16_t(fold));
        }
    }
    return folded;
}
