#include "PhraseMatch.h"

namespace {

// Scripts written without blanks between words, where a phrase may stand
// right next to other letters.
bool unspaced(QChar c)
{
    const char16_t u = c.unicode();
    if ((u >= 0x3000 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF))
        return true; // CJK punctuation, kana, ideographs
    switch (c.script()) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Thai:
    case QChar::Script_Lao:
    case QChar::Script_Khmer:
    case QChar::Script_Myanmar:
        return true;
    default:
        return false;
    }
}

// A character that continues the word it touches.
bool joinsWord(QChar c)
{
    return c.isLetterOrNumber() && !unspaced(c);
}

bool apostrophe(QChar c)
{
    return c == u'\u2019' || c == u'\u2018' || c == u'\u02BC';
}

} // namespace

QString FoldForMatching(QStringView text)
{
    const QString decomposed =
        text.toString().normalized(QString::NormalizationForm_KD).toCaseFolded();
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Other_Format)
            continue; // accents, soft hyphens, zero-width joiners
        if (c.isSpace()) {
            if (!folded.endsWith(u' '))
                folded += u' ';
        } else {
            folded += apostrophe(c) ? QChar(u'\'') : c;
        }
    }
    return folded;
}

void AppendFolded(QString& folded, QStringView more)
{
    if (folded.endsWith(u' ') && more.startsWith(u' '))
        more = more.sliced(1);
    folded += more;
}

qsizetype FindWholePhrase(QStringView text, QStringView phrase, bool textEnds, qsizetype from)
{
    if (phrase.isEmpty())
        return -1;
    const bool gapBefore = joinsWord(phrase.front());
    const bool gapAfter = joinsWord(phrase.back());
    for (qsizetype at = text.indexOf(phrase, from); at >= 0; at = text.indexOf(phrase, at + 1)) {
        const qsizetype end = at + phrase.size();
        if (gapBefore && at > 0 && joinsWord(text[at - 1]))
            continue;
        if (gapAfter && (end == text.size() ? !textEnds : joinsWord(text[end])))
            continue;
        return at;
    }
    return -1;
}
