#include "ProbeTransfer.h"

#include "HomePage.h"
#include "LinkPassword.h"
#include "ProbeAddress.h"
#include "ProbeLinkFailure.h"
#include "RedirectLocation.h"
#include "RetryAfter.h"
#include "TransferWatch.h"
#include "UserAgent.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>

namespace {

const char AllowedProtocols[] = "http,https";
const long MaxRedirects = 30;

struct EasyDeleter
{
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

class OptionSetter final
{
public:
    explicit OptionSetter(CURL* curl) : curl_(curl) {}

    template <typename Value> OptionSetter& set(CURLoption option, Value value)
    {
        if (ok_ && curl_easy_setopt(curl_, option, value) != CURLE_OK)
            ok_ = false;
        return *this;
    }

    bool ok() const { return ok_; }

private:
    CURL* curl_;
    bool ok_ = true;
};

bool setUpTransfer(CURL* curl, const QByteArray& url, const QByteArray& proxyString, bool useProxy,
                   const ProbeLimits& limits, TransferState* state, char* errorBuffer)
{
    OptionSetter options(curl);
    options.set(CURLOPT_URL, url.constData())
        .set(CURLOPT_HTTPGET, 1L)
        .set(CURLOPT_USERAGENT, ProgramUserAgent)
        .set(CURLOPT_FOLLOWLOCATION, 1L)
        .set(CURLOPT_MAXREDIRS, MaxRedirects)
        .set(CURLOPT_PROTOCOLS_STR, AllowedProtocols)
        .set(CURLOPT_REDIR_PROTOCOLS_STR, AllowedProtocols)
        // Credentials of a link go only to a server that asks for them.
        .set(CURLOPT_HTTPAUTH, CURLAUTH_ANY)
        .set(CURLOPT_NOSIGNAL, 1L)
        .set(CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs)
        .set(CURLOPT_LOW_SPEED_LIMIT, 1L)
        .set(CURLOPT_LOW_SPEED_TIME, limits.lowSpeedTimeSeconds)
        .set(CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs)
        .set(CURLOPT_ERRORBUFFER, errorBuffer)
        .set(CURLOPT_WRITEFUNCTION, &TakeBody)
        .set(CURLOPT_WRITEDATA, static_cast<void*>(state))
        .set(CURLOPT_HEADERFUNCTION, &WatchHead)
        .set(CURLOPT_HEADERDATA, static_cast<void*>(state))
        // A proxy's answer to CONNECT is no head of the link's answer.
        .set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L)
        .set(CURLOPT_XFERINFOFUNCTION, &WatchProgress)
        .set(CURLOPT_XFERINFODATA, static_cast<void*>(state))
        .set(CURLOPT_OPENSOCKETFUNCTION, &OpenSocket)
        .set(CURLOPT_OPENSOCKETDATA, static_cast<void*>(state))
        .set(CURLOPT_NOPROGRESS, 0L)
        // A cancelled probe must not wait for a name lookup to give up: the
        // resolver thread is left to end on its own, and it touches only
        // libcurl's own data.
        .set(CURLOPT_QUICK_EXIT, 1L);
    // Without our own proxy libcurl reads http_proxy, https_proxy and no_proxy,
    // which is how this system's connection settings reach the probe.
    if (useProxy) {
        options.set(CURLOPT_PROXY, proxyString.constData()).set(CURLOPT_NOPROXY, "");
    }
    return options.ok();
}

bool isAliveStatus(const QByteArray& status)
{
    return status == "200" || status == "302";
}

qint16 retryAfterOf(const QByteArray& value)
{
    if (value.isEmpty())
        return -1;
    const std::optional<int> seconds = RetryAfterSeconds(value, std::time(nullptr));
    return seconds ? qint16(*seconds) : qint16(-1);
}

// What the finished transfer tells, apart from the time it took.
ProbeResult judgeEnded(CURL* curl, CURLcode performed, const TransferState& state,
                       const char* message, bool throughProxy, const ProbeLimits& limits,
                       qint64 elapsedMs)
{
    const bool stoppedByUs = state.stoppedByUs && (performed == CURLE_WRITE_ERROR ||
                                                   performed == CURLE_ABORTED_BY_CALLBACK);
    const bool cancelled = performed == CURLE_ABORTED_BY_CALLBACK && !stoppedByUs;
    // Once the final head is in, whatever befalls the body being read leaves
    // the answer standing.
    const bool ended = performed == CURLE_OK || stoppedByUs || (state.page && !cancelled);
    if (!ended && state.outOfDescriptors)
        return FailedProbe(ProbeOutcome::OutOfFiles);
    if (performed == CURLE_WRITE_ERROR && state.headTooLarge)
        return FailedProbe(ProbeOutcome::HeadTooLarge);
    if (stoppedByUs && state.malformedRedirect)
        return FailedProbe(ProbeOutcome::MalformedRedirect);
    if (ended && state.tooManyRedirects)
        return FailedProbe(ProbeOutcome::TooManyRedirects);
    if (!ended)
        return TransferFailure(curl, performed, message, throughProxy, limits, elapsedMs);
    if (!state.headComplete)
        return FailedProbe(ProbeOutcome::CutHead);
    ProbeResult result;
    result.outcome = ProbeOutcome::Answered;
    result.statusCode = qint16(ResponseCode(curl));
    result.detail = QString::fromLatin1(state.reasonPhrase);
    result.alive = isAliveStatus(QByteArray::number(result.statusCode));
    result.retryAfterSeconds = retryAfterOf(state.retryAfter);
    if (state.page) {
        result.page = state.page->signal();
        result.titleKey = state.page->titleKey();
    }
    return result;
}

// Redirects and the address they led to, known whatever the outcome.
void addRoute(ProbeResult& result, const TransferState& state, const QByteArray& url)
{
    long redirects = 0;
    if (curl_easy_getinfo(state.curl, CURLINFO_REDIRECT_COUNT, &redirects) != CURLE_OK)
        redirects = 0;
    redirects += state.redirectsBefore;
    if (redirects <= 0)
        return;
    result.redirects = quint8(redirects);
    result.permanentRedirects = state.onlyPermanentRedirects;
    result.movedByPage = state.movedByPage;
    const char* finalUrl = EffectiveUrl(state.curl);
    if (!finalUrl)
        return;
    result.movedToHomePage = MovedToHomePage(url, finalUrl);
    result.movedToSearchPage = MovedToSearchPage(url, finalUrl);
    // The reason of a page's move names where it went, even back to the link.
    if (url != finalUrl || state.movedByPage)
        result.finalAddress = MaskPassword(QString::fromUtf8(finalUrl));
}

QByteArrayView withoutFragment(QByteArrayView url)
{
    const qsizetype hash = url.indexOf('#');
    return hash < 0 ? url : url.first(hash);
}

// Where the page just read sends the browser on, resolved against its
// address; empty when the browser stays: no move, a cancelled probe, an
// address that is no web page, or the page's own (a reload, not a hop).
QByteArray pageHop(const TransferState& state)
{
    if (!state.page || (state.cancel && state.cancel->load()))
        return {};
    const std::optional<QString> written = state.page->hop();
    const char* here = EffectiveUrl(state.curl);
    if (!written || !here)
        return {};
    const QByteArray target = ResolvedRedirect(here, written->toUtf8());
    const QByteArray scheme = AsciiLower(target.left(8));
    if (!scheme.startsWith("http://") && !scheme.startsWith("https://"))
        return {};
    return withoutFragment(target) == withoutFragment(here) ? QByteArray() : target;
}

qint64 millisecondsSince(std::chrono::steady_clock::time_point started)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 started)
        .count();
}

// Every link's request goes out as its own: a reused connection or a cached
// name would let one probe answer for another.
bool setUpIsolation(CURL* curl)
{
    OptionSetter options(curl);
    options.set(CURLOPT_FRESH_CONNECT, 1L)
        .set(CURLOPT_FORBID_REUSE, 1L)
        .set(CURLOPT_DNS_CACHE_TIMEOUT, 0L);
    return options.ok();
}

} // namespace

struct ProbeTransfer::State
{
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    std::optional<ProbeResult> early;
    TransferState transfer;
    QByteArray url;
    ProbeLimits limits;
    bool throughProxy = false;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    // Last, so the handle goes before the buffers it points at.
    std::unique_ptr<CURL, EasyDeleter> curl;
};

ProbeTransfer::ProbeTransfer(const QString& link, const ProxySettings& proxy,
                             const ProbeLimits& limits, const std::atomic_bool* cancel,
                             bool readPage)
    : state_(std::make_unique<State>())
{
    State& s = *state_;
    s.limits = limits;
    s.throughProxy = proxy.useProxy;
    if (cancel && cancel->load()) {
        s.early = FailedProbe(ProbeOutcome::Cancelled);
        return;
    }
    s.url = RequestedUrl(link);
    const LinkShape shape = ShapeOf(s.url);
    if (!shape.usable) {
        s.early = FailedProbe(ProbeOutcome::MalformedLink);
        return;
    }
    const QByteArray proxyString =
        proxy.useProxy ? (proxy.address + ':' + proxy.port).toUtf8() : QByteArray();
    s.curl.reset(curl_easy_init());
    s.transfer.curl = s.curl.get();
    s.transfer.cancel = cancel;
    s.transfer.readPage = readPage;
    s.transfer.hasCredentials = shape.hasUser || proxyString.contains('@');
    if (!s.curl ||
        !setUpTransfer(s.curl.get(), s.url, proxyString, proxy.useProxy, limits, &s.transfer,
                       s.errorBuffer) ||
        !setUpIsolation(s.curl.get())) {
        s.curl.reset();
        s.early = FailedProbe(ProbeOutcome::OtherFailure);
    }
}

ProbeTransfer::~ProbeTransfer() = default;

CURL* ProbeTransfer::handle() const
{
    return state_->curl.get();
}

bool ProbeTransfer::followRedirect(CURLcode performed)
{
    TransferState& t = state_->transfer;
    if (t.followByHand && performed == CURLE_WRITE_ERROR)
        return goTo(
            ResolvedRedirect(EffectiveUrl(t.curl), *std::exchange(t.followByHand, std::nullopt)));
    const QByteArray hop = pageHop(t);
    if (hop.isEmpty() || !goTo(hop))
        return false;
    // A page that moves the browser is no permanent redirect, and what it
    // said of itself is left behind with it.
    t.movedByPage = true;
    t.onlyPermanentRedirects = false;
    t.page.reset();
    return true;
}

bool ProbeTransfer::goTo(const QByteArray& target)
{
    State& s = *state_;
    TransferState& t = s.transfer;
    long followed = 0;
    if (curl_easy_getinfo(t.curl, CURLINFO_REDIRECT_COUNT, &followed) != CURLE_OK)
        followed = 0;
    const long hops = t.redirectsBefore + followed + 1;
    if (hops > MaxRedirects) {
        t.tooManyRedirects = true;
        return false;
    }
    const long spentMs = long(millisecondsSince(s.started));
    OptionSetter options(t.curl);
    if (!target.isEmpty())
        options.set(CURLOPT_URL, target.constData())
            .set(CURLOPT_MAXREDIRS, MaxRedirects - hops)
            .set(CURLOPT_TIMEOUT_MS, std::max(1L, s.limits.totalTimeoutMs - spentMs));
    if (target.isEmpty() || !options.ok()) {
        t.malformedRedirect = true;
        return false;
    }
    t.redirectsBefore = hops;
    t.stoppedByUs = false;
    t.headComplete = false;
    return true;
}

ProbeResult ProbeTransfer::judge(CURLcode performed)
{
    State& s = *state_;
    ProbeResult result = s.early
                             ? *s.early
                             : judgeEnded(s.curl.get(), performed, s.transfer, s.errorBuffer,
                                          s.throughProxy, s.limits, millisecondsSince(s.started));
    if (!s.early)
        addRoute(result, s.transfer, s.url);
    // Nothing of the page outlives its verdict.
    s.transfer.page.reset();
    result.elapsedMs = qint32(millisecondsSince(s.started));
    return result;
}
