#pragma once

#include "HtmlTextScanner.h"
#include "PageSignal.h"
#include "PhraseWatch.h"

#include <QStringList>
#include <QStringView>

// The reading side of a page check: decoded HTML in, in pieces; whether it
// reads as a parked page or a "not found" page out. A value: a copy goes on
// from where the original stands.
class PageText final
{
public:
    // Every list folded (FoldForMatching), with no "{domain}" left in them.
    PageText(QStringList parkedPhrases, QStringList notFoundPhrases,
             QStringList nothingFoundPhrases);

    void read(QStringView html);

    // Whether more text could not change the verdict.
    bool seenEnough() const;
    // The verdict if the text ends here; a title or heading without its end
    // tag says nothing.
    PageSignal signalAtEnd() const;
    // Stands for the page's title, so that two pages' titles can be
    // compared without keeping them: equal for equal titles (letter case,
    // accents and blanks aside); 0 for none.
    quint32 titleKey() const;

private:
    HtmlTextScanner scanner_;
    PhraseWatch parked_;
    QStringList notFound_;
    QStringList nothingFound_;
};
