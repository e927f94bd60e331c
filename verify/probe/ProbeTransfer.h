#pragma once

#include "ProbeResult.h"
#include "ProxySettings.h"

#include <QString>
#include <atomic>
#include <curl/curl.h>
#include <memory>

// Time bounds of one probe; as a browser stack has them by default, lowered
// only by tests.
struct ProbeLimits
{
    long connectTimeoutMs = 60000;
    long lowSpeedTimeSeconds = 30; // no data for this long ends the transfer
    long totalTimeoutMs = 120000;  // so a trickling server cannot hold a probe for ever
};

// One link's request on its own easy handle, with every option of a probe set,
// ready to be performed alone or inside a multi handle, and judged once it has
// ended. A link without "http" anywhere (letter case ignored) gets "http://"
// in front. Nothing is shared with another probe: no connection, no DNS cache.
// cancel, when given and set, aborts the transfer in flight. readPage: a
// final 200 with an HTML Content-Type is read on (see PageReading) for what
// the page says of itself; otherwise the transfer ends with the final head.
class ProbeTransfer final
{
public:
    ProbeTransfer(const QString& link, const ProxySettings& proxy, const ProbeLimits& limits,
                  const std::atomic_bool* cancel = nullptr, bool readPage = false);
    ~ProbeTransfer();
    ProbeTransfer(const ProbeTransfer&) = delete;
    ProbeTransfer& operator=(const ProbeTransfer&) = delete;

    // Null when the verdict was known without a request (a link that is no
    // URL, a probe cancelled beforehand); judge() then gives it.
    CURL* handle() const;

    // Once libcurl has ended the transfer with performed: whether the handle
    // is to be performed again, for a redirect that libcurl could not follow
    // but a browser would (see RedirectLocation), or for a page read that
    // sends the browser on by itself (see PageSniffer::hop), which counts as
    // a redirect. It then asks for the target, within the bounds left of
    // the whole probe.
    bool followRedirect(CURLcode performed);

    // The verdict once libcurl has ended the transfer with performed; the
    // time counts from the transfer's making. Once only: what was read of
    // the page is let go.
    ProbeResult judge(CURLcode performed);

private:
    // Asks for the next address of the chain; false when the chain may go
    // no further (too long, or no address).
    bool goTo(const QByteArray& target);

    struct State;
    std::unique_ptr<State> state_; // at a fixed address: libcurl's callbacks point at it
};
