#pragma once

#include "PageSignal.h"
#include "PageText.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <optional>

class ChunkDecoder;
class PageVocabulary;

// Tells a parked or for-sale domain, a registrar's page for an expired one
// and a page that says it was not found (in its title or first headings)
// from the first bytes of an HTML answer, fed as they arrive. Reads at most
// ReadLimit bytes and keeps none of them beyond what the reading needs: the
// first bytes until the charset is known, an unfinished character, tag or
// title, and the tail a phrase could still straddle.
//
// The charset: a byte order mark; else the Content-Type's; else the page's
// <meta>; else UTF-8 while the bytes are UTF-8, windows-1252 from the first
// that is not. A name iconv does not know passes to the next of these.
class PageSniffer final
{
public:
    static constexpr qsizetype ReadLimit = 64 * 1024;

    // Whether a Content-Type value names an HTML page (text/html or
    // application/xhtml+xml, letter case and parameters aside).
    static bool isHtml(QByteArrayView contentType);

    // contentType: the final answer's Content-Type value. linkHost: the
    // link's own host; redirectHosts: the host of every redirect's target.
    // Hosts may carry a port. A redirect to a parking service's host is a
    // parked domain whatever the body (a link to the service itself is not);
    // a body that is not HTML is not read.
    PageSniffer(QByteArrayView contentType, QStringView linkHost, const QStringList& redirectHosts);
    ~PageSniffer();
    PageSniffer(const PageSniffer&) = delete;
    PageSniffer& operator=(const PageSniffer&) = delete;

    // Takes the next bytes of the body; false once no more are wanted: the
    // verdict cannot change any more, or ReadLimit bytes have been taken
    // (bytes past it are not looked at).
    bool feed(QByteArrayView chunk);

    // The verdict on what was fed, the body taken to end there.
    PageSignal signal() const;
    // Where the page sends the browser on by itself, as written (relative
    // addresses included), when it does; not for a page that already said
    // what it is (parked, expired), which is the verdict wherever it leads.
    std::optional<QString> hop() const;

    // The page's title as PageText::titleKey gives it, of what was fed.
    quint32 titleKey() const;

    // How many bytes of the body were taken.
    qsizetype bytesTaken() const { return taken_; }

private:
    PageSniffer(QByteArrayView contentType, QStringView linkHost, const QStringList& redirectHosts,
                const QStringList& domains, const PageVocabulary& vocabulary);

    bool wantsMore() const;
    PageText textSoFar() const;
    std::unique_ptr<ChunkDecoder> readHead(PageText& text) const;
    std::unique_ptr<ChunkDecoder> openDecoder(const QByteArray& byteOrderMarkCharset) const;

    QByteArray declaredCharset_;
    QByteArray head_;
    std::unique_ptr<ChunkDecoder> decoder_; // once the charset is known
    PageText text_;
    qsizetype taken_ = 0;
    bool html_ = false;
    bool parkingHost_ = false;
};
