#include "PhraseWatch.h"

#include "PhraseMatch.h"

#include <algorithm>

PhraseWatch::PhraseWatch(QStringList phrases) : phrases_(std::move(phrases))
{
    // The longest phrase and the character before it: any match the next
    // piece can complete begins inside that much.
    for (const QString& phrase : phrases_)
        keep_ = std::max(keep_, phrase.size() + 1);
}

void PhraseWatch::append(QStringView folded)
{
    if (found_ || folded.isEmpty())
        return;
    AppendFolded(tail_, folded);
    found_ = search(false);
    if (tail_.size() > keep_) {
        tail_ = tail_.right(keep_);
        dropped_ = true;
    }
}

bool PhraseWatch::foundAtEnd() const
{
    return found_ || search(true);
}

bool PhraseWatch::search(bool textEnds) const
{
    // A match at the very start of a cut tail was judged, with the character
    // before it, while that character was still there.
    const qsizetype from = dropped_ ? 1 : 0;
    for (const QString& phrase : phrases_) {
        if (FindWholePhrase(tail_, phrase, textEnds, from) >= 0)
            return true;
    }
    return false;
}
