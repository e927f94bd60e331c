#include "SearchText.h"

#include "BookmarkEntry.h"
#include "LinkPassword.h"

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

SearchText::SearchText(const QString& typed) : folded_(fold(typed)) {}

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
