#include "PageSniffer.h"

#include "ChunkDecoder.h"
#include "HtmlCharset.h"
#include "PageVocabulary.h"
#include "PhraseMatch.h"

#include <QUrl>

#include <algorithm>

namespace {

// As much as a browser pre-scans for a <meta> charset before it decodes.
constexpr qsizetype HeadLength = 1024;

const QString DomainMark = QStringLiteral("{domain}");

// The ways a page may name the domains on the way: as the host is written,
// without "www.", and in Unicode for an internationalised name.
QStringList domainsOnTheWay(QStringView linkHost, const QStringList& redirectHosts)
{
    QStringList hosts{NormalizedHost(linkHost)};
    for (const QString& host : redirectHosts)
        hosts += NormalizedHost(host);
    QStringList domains;
    for (const QString& host : std::as_const(hosts)) {
        if (host.isEmpty())
            continue;
        const QString unicode = host.contains(u"xn--") ? QUrl::fromAce(host.toLatin1()) : host;
        for (const QString& name : {host, unicode}) {
            domains += FoldForMatching(name);
            if (name.startsWith(u"www."))
                domains += FoldForMatching(name.sliced(4));
        }
    }
    domains.removeAll(QString());
    domains.removeDuplicates();
    return domains;
}

// Each "{domain}" phrase once for every domain on the way.
QStringList withDomains(const QStringList& listed, const QStringList& domains)
{
    QStringList phrases;
    for (const QString& phrase : listed) {
        if (!phrase.contains(DomainMark)) {
            phrases += phrase;
            continue;
        }
        for (const QString& domain : domains)
            phrases += QString(phrase).replace(DomainMark, domain);
    }
    return phrases;
}

bool redirectedToParking(QStringView linkHost, const QStringList& redirectHosts)
{
    const PageVocabulary& vocabulary = PageVocabulary::builtIn();
    return !vocabulary.isParkingHost(linkHost) &&
           std::any_of(redirectHosts.begin(), redirectHosts.end(),
                       [&](const QString& host) { return vocabulary.isParkingHost(host); });
}

} // namespace

bool PageSniffer::isHtml(QByteArrayView contentType)
{
    const QByteArray mediaType = MediaTypeOf(contentType);
    return mediaType == "text/html" || mediaType == "application/xhtml+xml";
}

PageSniffer::PageSniffer(QByteArrayView contentType, QStringView linkHost,
                         const QStringList& redirectHosts)
    : PageSniffer(contentType, linkHost, redirectHosts, domainsOnTheWay(linkHost, redirectHosts),
                  PageVocabulary::builtIn())
{
}

PageSniffer::PageSniffer(QByteArrayView contentType, QStringView linkHost,
                         const QStringList& redirectHosts, const QStringList& domains,
                         const PageVocabulary& vocabulary)
    : declaredCharset_(CharsetParameter(contentType)),
      text_(withDomains(vocabulary.parkedPhrases(), domains), vocabulary.notFoundPhrases(),
            vocabulary.nothingFoundPhrases(), withDomains(vocabulary.expiredPhrases(), domains)),
      html_(isHtml(contentType)), parkingHost_(redirectedToParking(linkHost, redirectHosts))
{
}

PageSniffer::~PageSniffer() = default;

bool PageSniffer::feed(QByteArrayView chunk)
{
    if (!wantsMore())
        return false;
    chunk = chunk.first(std::min(chunk.size(), ReadLimit - taken_));
    taken_ += chunk.size();
    if (decoder_) {
        text_.read(decoder_->decode(chunk));
    } else {
        head_ += chunk;
        if (head_.size() >= HeadLength || taken_ == ReadLimit) {
            decoder_ = readHead(text_);
            head_ = QByteArray();
        }
    }
    return wantsMore();
}

PageSignal PageSniffer::signal() const
{
    if (parkingHost_)
        return PageSignal::Parked;
    if (!html_)
        return PageSignal::None;
    return textSoFar().signalAtEnd();
}

std::optional<QString> PageSniffer::hop() const
{
    if (!html_ || parkingHost_)
        return std::nullopt;
    const PageText text = textSoFar();
    const PageSignal said = text.signalAtEnd();
    if (said == PageSignal::Parked || said == PageSignal::Expired)
        return std::nullopt;
    return text.hop();
}

PageText PageSniffer::textSoFar() const
{
    if (decoder_)
        return text_;
    // A body shorter than the head: read it now, on a copy, so that asking
    // changes nothing.
    PageText text = text_;
    readHead(text);
    return text;
}

quint32 PageSniffer::titleKey() const
{
    return html_ ? textSoFar().titleKey() : 0;
}

bool PageSniffer::wantsMore() const
{
    return html_ && !parkingHost_ && taken_ < ReadLimit && !text_.seenEnough();
}

std::unique_ptr<ChunkDecoder> PageSniffer::readHead(PageText& text) const
{
    const ByteOrderMarkCharset mark = CharsetFromByteOrderMark(head_);
    std::unique_ptr<ChunkDecoder> decoder = openDecoder(mark.charset);
    text.read(decoder->decode(QByteArrayView(head_).sliced(mark.length)));
    return decoder;
}

std::unique_ptr<ChunkDecoder> PageSniffer::openDecoder(const QByteArray& byteOrderMarkCharset) const
{
    const QByteArrayView head = QByteArrayView(head_).first(std::min(head_.size(), HeadLength));
    QByteArray fromMeta = IconvCharsetName(CharsetFromMeta(head));
    // A page read as ASCII to find its <meta> cannot be UTF-16 after all.
    if (fromMeta.startsWith("UTF-16"))
        fromMeta = "UTF-8";
    for (const QByteArray& charset :
         {byteOrderMarkCharset, IconvCharsetName(declaredCharset_), fromMeta}) {
        if (charset.isEmpty())
            continue;
        auto decoder = std::make_unique<ChunkDecoder>(charset);
        if (decoder->isValid())
            return decoder;
    }
    return std::make_unique<ChunkDecoder>("UTF-8", ChunkDecoder::BadBytes::SwitchToWindows1252);
}
