#include "SearchText.h"

#include "BookmarkEntry.h"
#include "LinkPassword.h"

namespace {

bool isAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace

SearchText::SearchText(const QString& typed) : folded_(fold(typed)) {}

QString SearchText::fold(QStringView text)
{
    if (isAscii(text))
        return text.toString().toCaseFolded();
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString bare;
    bare.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            bare.append(c);
    }
    return bare.toCaseFolded();
}

bool SearchText::matches(QStringView text) const
{
    if (folded_.isEmpty())
        return true;
    // Most names and links are plain ASCII: compared as they are, with no
    // copy, a filter change over a large tree stays quick.
    if (isAscii(text))
        return text.contains(folded_, Qt::CaseInsensitive);
    return fold(text).contains(folded_);
}

bool SearchText::matchesEntry(const BookmarkEntry& entry) const
{
    if (entry.IsFolder)
        return matches(entry.Name);
    return matches(entry.Title) || matches(MaskPassword(entry.Link));
}
