#include "PageText.h"

#include "PhraseMatch.h"

#include <QHash>

#include <algorithm>

namespace {

// A parked or for-sale page says what it is within its first screenful of
// text; a few thousand characters of other text past the title are a page
// that is there, and reading on would only cost time.
constexpr qsizetype EnoughText = 4096;

bool holdsAny(const QString& folded, const QStringList& phrases)
{
    return std::any_of(phrases.begin(), phrases.end(), [&](const QString& phrase) {
        return FindWholePhrase(folded, phrase, true) >= 0;
    });
}

} // namespace

PageText::PageText(QStringList parkedPhrases, QStringList notFoundPhrases,
                   QStringList nothingFoundPhrases)
    : scanner_(EnoughText), parked_(std::move(parkedPhrases)),
      notFound_(std::move(notFoundPhrases)), nothingFound_(std::move(nothingFoundPhrases))
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
    QStringList notices = scanner_.headings();
    if (scanner_.titleComplete())
        notices.prepend(scanner_.title());
    for (const QString& notice : std::as_const(notices)) {
        const QString folded = FoldForMatching(notice).trimmed();
        if (holdsAny(folded, notFound_) && !holdsAny(folded, nothingFound_))
            return PageSignal::SaysNotFound;
    }
    return PageSignal::None;
}

quint32 PageText::titleKey() const
{
    if (!scanner_.titleComplete())
        return 0;
    const QString title = FoldForMatching(scanner_.title()).trimmed();
    if (title.isEmpty())
        return 0;
    return std::max<quint32>(1, quint32(qHash(title, 0)));
}
