#pragma once

#include <QString>
#include <QStringView>

// Text as the page checks compare it: compatibility-decomposed, accents,
// other non-spacing marks and invisible format characters dropped, case-folded, curly apostrophes
// made straight, every run of white space one blank. Each character folds on its own, so a text
// folded in pieces equals the text folded whole, apart from a blank where two pieces meet
// (AppendFolded joins them).
QString FoldForMatching(QStringView text);

// Appends folded text to folded text, keeping one blank where both have one.
void AppendFolded(QString& folded, QStringView more);

// Where phrase (folded) first stands in text (folded) at or after from, as a
// whole phrase: a letter or digit of a language written with blanks may not
// touch it on either side ("404" is not in "4040"; "domain" is not in
// "domains"); a Chinese, Japanese or Thai character needs no such gap. A
// match whose last word reaches the end of the text counts only when the
// text ends there (textEnds), since the next piece might extend that word.
// -1 when there is none.
qsizetype FindWholePhrase(QStringView text, QStringView phrase, bool textEnds, qsizetype from = 0);
