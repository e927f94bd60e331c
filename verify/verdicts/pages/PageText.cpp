#include "PageText.h"

#include "PhraseMatch.h"

namespace {

// A parked or for-sale page says what it is within its first screenful of
// text; a few thousand characters of other text past the title are a page
// that is there, and reading on would only cost time.
constexpr qsizetype EnoughText = 4096;

} // namespace

PageText::PageText(QStringList parkedPhrases, QStringList notFoundTitles)
    : scanner_(EnoughText), parked_(std::move(parkedPhrases)),
      notFoundTitles_(std::move(notFoundTitles))
{
}

void PageText::read(QStringView html)
{
    QString visible;
    scanner_.scan(html, visible);
    parked_.append(FoldForMatching(visible));
}

bool PageText::seenEnough() const
{
    return parked_.found() || scanner_.atTextLimit();
}

PageSignal PageText::signalAtEnd() const
{
    if (parked_.foundAtEnd())
        return PageSignal::Parked;
    if (!scanner_.titleComplete())
        return PageSignal::None;
    const QString title = FoldForMatching(scanner_.title()).trimmed();
    for (const QString& phrase : notFoundTitles_) {
        if (FindWholePhrase(title, phrase, true) >= 0)
            return PageSignal::SaysNotFound;
    }
    return PageSignal::None;
}
