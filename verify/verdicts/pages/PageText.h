#pragma once

#include "HtmlTextScanner.h"
#include "PageSignal.h"
#include "PhraseWatch.h"

#include <QStringList>
#include <QStringView>

#include <optional>

// The reading side of a page check: decoded HTML in, in pieces; whether it
// reads as a parked page, a registrar's page for an expired domain or a
// "not found" page out. A value: a copy goes on from where the original
// stands.
class PageText final
{
public:
    // Every list folded (FoldForMatching), with no "{domain}" left in them.
    PageText(QStringList parkedPhrases, QStringList notFoundPhrases,
             QStringList nothingFoundPhrases, QStringList expiredPhrases);

    void read(QStringView html);

    // Whether more text could not change the verdict.
    bool seenEnough() const;
    // The verdict if the text ends here; a title or heading without its end
    // tag says nothing.
    PageSignal signalAtEnd() const;
    // Where the page sends the browser on by itself (its only script, else
    // a refresh), as written; see BrowserHop.
    std::optional<QString> hop() const;
    // Stands for the page's title, so that two pages' titles can be
    // compared without keeping them: equal for equal titles (letter case,
    // accents and blanks aside); 0 for none.
    quint32 titleKey() const;

private:
    bool saysExpired() const;
    bool saysNotFound() const;

    HtmlTextScanner scanner_;
    PhraseWatch parked_;
    PhraseWatch expired_;
    QStringList notFound_;
    QStringList nothingFound_;
    qsizetype textLength_ = 0; // of the visible text read, blanks aside
};
