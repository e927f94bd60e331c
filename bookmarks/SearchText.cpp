#include "SearchText.h"

#include "BookmarkEntry.h"
#include "LinkPassword.h"

#include <optional>

namespace {

char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// Folds text into folded (text.size() characters) one character at a time,
// which is the whole fold for characters that neither decompose nor combine
// (ASCII, most Cyrillic, Greek, CJK). False, with folded undefined, when one
// needs the full fold.
bool foldEachCharacter(QStringView text, QChar* folded)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            folded[i] = QChar(asciiLower(c));
            continue;
        }
        const QChar wide(c);
        if (wide.isSurrogate() || wide.decompositionTag() != QChar::NoDecomposition ||
            wide.category() == QChar::Mark_NonSpacing)
            return false;
        folded[i] = wide.toCaseFolded();
    }
    return true;
}

// Looks for a folded ASCII needle in text as it stands, which is its fold
// as far as text is ASCII; nothing once a character beyond ASCII comes
// before an answer (it may fold into ASCII: "é", "ﬁ").
std::optional<bool> findAscii(QStringView text, QStringView needle)
{
    const char16_t* hay = text.utf16();
    const qsizetype size = text.size();
    const qsizetype length = needle.size();
    const char16_t first = needle[0].unicode();
    for (qsizetype at = 0; at < size; ++at) {
        if (hay[at] >= 0x80)
            return std::nullopt;
        if (asciiLower(hay[at]) != first || size - at < length)
            continue;
        qsizetype matched = 1;
        while (matched < length && hay[at + matched] < 0x80 &&
               asciiLower(hay[at + matched]) == needle[matched].unicode())
            ++matched;
        if (matched == length)
            return true;
    }
    return false;
}

QString foldFully(QStringView text)
{
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString bare;
    bare.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            bare.append(c);
    }
    return bare.toCaseFolded();
}

} // namespace

SearchText::SearchText(const QString& typed)
    : folded_(fold(typed)), asciiNeedle_(QtPrivate::isAscii(QStringView(folded_)))
{
}

QString SearchText::fold(QStringView text)
{
    QString folded;
    appendFolded(text, folded);
    return folded;
}

void SearchText::appendFolded(QStringView text, QString& out)
{
    const qsizetype start = out.size();
    out.resize(start + text.size());
    if (foldEachCharacter(text, out.data() + start))
        return;
    out.resize(start);
    out.append(foldFully(text));
}

QString SearchText::linkAsShown(const BookmarkEntry& link)
{
    // A password needs an '@' before it can be masked; most links have none
    // and are taken as they are, without a pass over their authority.
    return link.Link.contains(u'@') ? MaskPassword(link.Link) : link.Link;
}

bool SearchText::matches(QStringView text) const
{
    if (folded_.isEmpty())
        return true;
    if (asciiNeedle_) {
        if (const std::optional<bool> found = findAscii(text, folded_))
            return *found;
    }
    scratch_.resize(0);
    appendFolded(text, scratch_);
    return scratch_.contains(folded_);
}

bool SearchText::matchesEntry(const BookmarkEntry& entry) const
{
    if (entry.IsFolder)
        return matches(entry.Name);
    return matches(entry.Title) || matches(linkAsShown(entry));
}
