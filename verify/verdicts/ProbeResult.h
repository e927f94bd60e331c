#pragma once

#include "PageSignal.h"

#include <QMetaType>
#include <QString>
#include <QtGlobal>

// What a site answered for a made-up address in the directory of a link
// whose page looked gone (see NeedsContrast), beside the link's own answer.
enum class ContrastAnswer : quint8
{
    NotAsked,
    Missing, // 404 or 410: the site tells an unknown address from the page asked for
    Same,    // the same 200 page or the same redirect target as the link's own
    Other,   // an error, a time-out, a different page: it tells nothing
};

// What became of a probe: an answer, or the way the transport failed.
enum class ProbeOutcome : quint8
{
    Answered,
    NameNotResolved,
    ConnectionRefused,
    ConnectTimeout,
    NoDataTimeout,
    OverallTimeout,
    TlsFailure,
    TooManyRedirects,
    SchemeNotAllowed,
    MalformedLink,
    ProxyRefused,
    ProxyNameNotResolved,
    ProxyError,
    Cancelled,
    CutHead,
    // No socket or name lookup could be made: the process ran out of file
    // descriptors, which says nothing of the link.
    OutOfFiles,
    HeadTooLarge,
    // A redirect whose Location holds control bytes no browser would pass over.
    MalformedRedirect,
    OtherFailure,
};

// The verdict on one link and why. Kept small, since every verified link of a
// large tree holds one: the strings stay empty where they say nothing.
struct ProbeResult
{
    // The reason phrase of the final status, or libcurl's message of a failure.
    QString detail;
    // Where the redirects ended, its password masked, since it is only ever
    // shown; empty when that is the link as requested.
    QString finalAddress;
    qint32 elapsedMs = 0;
    // The time bound that ran out, for the three kinds of time-out.
    qint32 boundMs = 0;
    qint16 statusCode = 0;
    quint8 redirects = 0;
    // The final answer's Retry-After in seconds, at most a minute; -1 without one.
    qint16 retryAfterSeconds = -1;
    ProbeOutcome outcome = ProbeOutcome::OtherFailure;
    // The title of a final HTML 200 page that was read (PageText::titleKey).
    quint32 titleKey = 0;
    // What the body of a final HTML 200 said of the page, when it was read.
    PageSignal page = PageSignal::None;
    ContrastAnswer contrast = ContrastAnswer::NotAsked;
    bool alive = false;
    // Redirects were followed and every one of them was a 301 or a 308.
    bool permanentRedirects = false;
    // A link deeper than a site's home page whose redirects ended on one.
    bool movedToHomePage = false;
    // A 200 page on the way sent the browser on (a refresh or a script), to
    // finalAddress or to where that redirected; counted in redirects.
    bool movedByPage = false;
    // As movedToHomePage, for a site's search page.
    bool movedToSearchPage = false;
};

Q_DECLARE_METATYPE(ProbeResult)

// The usual phrase of an HTTP status, for answers that carry none (HTTP/2).
QString StandardReasonPhrase(int statusCode);

// Why the link came out as it did, e.g. "404 Not Found", "connection refused"
// or "200 OK, then the page moved the browser to http://example.org/".
QString ProbeReasonText(const ProbeResult& result);
