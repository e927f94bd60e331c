#include "ProbeLinkFailure.h"

namespace {

bool wasConnected(CURL* curl)
{
    curl_off_t connectTime = 0;
    return curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connectTime) == CURLE_OK &&
           connectTime > 0;
}

// libcurl reports its three time bounds with one code; which one ran out
// follows from how long the probe took and whether it got connected. A bound
// may run out a little before our own clock says so (libcurl rounds its
// clock), hence the slack.
ProbeResult timeout(CURL* curl, const ProbeLimits& limits, qint64 elapsedMs)
{
    const qint64 slackMs = 5;
    const bool overallRanOut = elapsedMs + slackMs >= limits.totalTimeoutMs;
    const bool noDataCouldRunOut = elapsedMs + slackMs >= limits.lowSpeedTimeSeconds * 1000;
    ProbeResult result = FailedProbe(ProbeOutcome::OverallTimeout);
    result.boundMs = qint32(limits.totalTimeoutMs);
    if (!overallRanOut && !wasConnected(curl)) {
        result.outcome = ProbeOutcome::ConnectTimeout;
        result.boundMs = qint32(limits.connectTimeoutMs);
    } else if (!overallRanOut && noDataCouldRunOut) {
        result.outcome = ProbeOutcome::NoDataTimeout;
        result.boundMs = qint32(limits.lowSpeedTimeSeconds * 1000);
    }
    return result;
}

bool isTlsFailure(CURLcode code)
{
    switch (code) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
    case CURLE_USE_SSL_FAILED:
        return true;
    default:
        return false;
    }
}

// The kind of a failure that libcurl names by its code alone.
ProbeOutcome outcomeOf(CURLcode code, bool throughProxy)
{
    if (isTlsFailure(code))
        return ProbeOutcome::TlsFailure;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return ProbeOutcome::NameNotResolved;
    case CURLE_COULDNT_RESOLVE_PROXY:
        return ProbeOutcome::ProxyNameNotResolved;
    case CURLE_COULDNT_CONNECT:
        // Through a proxy, the only connection made is the one to the proxy.
        return throughProxy ? ProbeOutcome::ProxyRefused : ProbeOutcome::ConnectionRefused;
    case CURLE_TOO_MANY_REDIRECTS:
        return ProbeOutcome::TooManyRedirects;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return ProbeOutcome::SchemeNotAllowed;
    case CURLE_URL_MALFORMAT:
        return ProbeOutcome::MalformedLink;
    case CURLE_ABORTED_BY_CALLBACK:
        return ProbeOutcome::Cancelled;
    case CURLE_PROXY:
        return ProbeOutcome::ProxyError;
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
        return ProbeOutcome::CutHead;
    default:
        return ProbeOutcome::OtherFailure;
    }
}

// libcurl names a refused HTTP/0.9 answer as it names a scheme it may not
// use; only the address it ended at tells them apart.
bool endedOnHttp(CURL* curl)
{
    const char* finalUrl = nullptr;
    return curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &finalUrl) == CURLE_OK && finalUrl &&
           QByteArray(finalUrl).left(8).toLower().startsWith("http");
}

// The threaded resolver needs a pipe pair and a thread for each lookup;
// when either cannot be made libcurl says so only in these words, under the
// code of a name that does not resolve.
bool lookupCouldNotStart(CURLcode performed, const char* message)
{
    return (performed == CURLE_COULDNT_RESOLVE_HOST || performed == CURLE_COULDNT_RESOLVE_PROXY) &&
           qstrcmp(message, "getaddrinfo() thread failed to start") == 0;
}

ProbeOutcome failureOutcome(CURL* curl, CURLcode performed, const char* message, bool throughProxy)
{
    if (lookupCouldNotStart(performed, message))
        return ProbeOutcome::OutOfFiles;
    // libcurl says "out of memory" when one line of a head passes its bound;
    // once connected, that is what it means.
    if (performed == CURLE_OUT_OF_MEMORY && wasConnected(curl))
        return ProbeOutcome::HeadTooLarge;
    const ProbeOutcome outcome = outcomeOf(performed, throughProxy);
    if (outcome == ProbeOutcome::SchemeNotAllowed && endedOnHttp(curl))
        return ProbeOutcome::OtherFailure;
    return outcome;
}

long proxyConnectCode(CURL* curl)
{
    long code = 0;
    return curl_easy_getinfo(curl, CURLINFO_HTTP_CONNECTCODE, &code) == CURLE_OK ? code : 0;
}

} // namespace

ProbeResult FailedProbe(ProbeOutcome outcome, const QString& message)
{
    ProbeResult result;
    result.outcome = outcome;
    result.detail = message;
    return result;
}

ProbeResult TransferFailure(CURL* curl, CURLcode performed, const char* message, bool throughProxy,
                            const ProbeLimits& limits, qint64 elapsedMs)
{
    if (performed == CURLE_OPERATION_TIMEDOUT)
        return timeout(curl, limits, elapsedMs);
    const long connectCode = proxyConnectCode(curl);
    const bool tunnelRefused = connectCode != 0 && connectCode / 100 != 2;
    const QString text = QString::fromUtf8(*message ? message : curl_easy_strerror(performed));
    return FailedProbe(tunnelRefused ? ProbeOutcome::ProxyError
                                     : failureOutcome(curl, performed, message, throughProxy),
                       text);
}
