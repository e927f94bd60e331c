#include "PageText.h"

#include "BrowserHop.h"
#include "PhraseMatch.h"

#include <QHash>

#include <algorithm>

namespace {

// A parked or for-sale page says what it is within its first screenful of
// text; a few thousand characters of other text past the title are a page
// that is there, and reading on would only cost time.
constexpr qsizetype EnoughText = 4096;
// A registrar's page for an expired domain says little else; an article
// about expired domains says a good deal more.
constexpr qsizetype ShortPageText = 1500;

bool containsAny(QStringView folded, const QStringList& phrases)
{
    return std::any_of(phrases.begin(), phrases.end(), [folded](const QString& phrase) {
        return FindWholePhrase(folded, phrase, true) >= 0;
    });
}

} // namespace

PageText::PageText(QStringList parkedPhrases, QStringList notFoundPhrases,
                   QStringList nothingFoundPhrases, QStringList expiredPhrases)
    : scanner_(EnoughText), parked_(std::move(parkedPhrases)), expired_(std::move(expiredPhrases)),
      notFound_(std::move(notFoundPhrases)), nothingFound_(std::move(nothingFoundPhrases))
{
}

void PageText::read(QStringView html)
{
    QString visible;
    scanner_.scan(html, visible);
    textLength_ +=
        std::count_if(visible.cbegin(), visible.cend(), [](QChar c) { return !c.isSpace(); });
    const QString folded = FoldForMatching(visible);
    parked_.append(folded);
    expired_.append(folded);
}

bool PageText::seenEnough() const
{
    return parked_.found() || scanner_.atTextLimit();
}

PageSignal PageText::signalAtEnd() const
{
    if (parked_.foundAtEnd())
        return PageSignal::Parked;
    if (saysExpired())
        return PageSignal::Expired;
    return saysNotFound() ? PageSignal::SaysNotFound : PageSignal::None;
}

bool PageText::saysNotFound() const
{
    QStringList notices;
    for (const HtmlTextScanner::Heading& heading : scanner_.headings()) {
        if (heading.major && notices.size() < HtmlTextScanner::MajorHeadings)
            notices += heading.text;
    }
    if (scanner_.titleComplete())
        notices += scanner_.title();
    return std::any_of(notices.cbegin(), notices.cend(), [this](const QString& notice) {
        const QString folded = FoldForMatching(notice).trimmed();
        return containsAny(folded, notFound_) && !containsAny(folded, nothingFound_);
    });
}

bool PageText::saysExpired() const
{
    if (!expired_.foundAtEnd())
        return false;
    if (textLength_ < ShortPageText)
        return true;
    // What the page calls itself counts whatever else it says.
    QString names = scanner_.titleComplete() ? scanner_.title() : QString();
    for (const HtmlTextScanner::Heading& heading : scanner_.headings())
        names += u' ' + heading.text;
    return containsAny(FoldForMatching(names), expired_.phrases());
}

std::optional<QString> PageText::hop() const
{
    // A script moves the browser at once, before a refresh is due.
    if (const std::optional<QString> script = scanner_.onlyScript()) {
        if (std::optional<QString> target = ScriptTarget(*script))
            return target;
    }
    if (const std::optional<QString>& refresh = scanner_.refresh())
        return RefreshTarget(*refresh);
    return std::nullopt;
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
