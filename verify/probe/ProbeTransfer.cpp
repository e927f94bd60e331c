#include "ProbeTransfer.h"

#include "HomePage.h"
#include "LinkPassword.h"
#include "PageReading.h"
#include "ProbeLinkFailure.h"
#include "RedirectLocation.h"
#include "RetryAfter.h"

#include <QList>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <optional>
#include <sys/socket.h>

namespace {

const char UserAgent[] = "InetURL:/1.0";
const char AllowedProtocols[] = "http,https";
const long MaxRedirects = 30;
// A reason phrase is shown, not parsed; a server's endless one is cut here.
const qsizetype MaxReasonPhrase = 200;
// A head beyond this is no sound answer. libcurl has a bound of its own a
// little above it, but names that a failure to receive; this one is told.
const qsizetype MaxHeadBytes = 256 * 1024;

// What the callbacks of one transfer share with the code that made it.
struct TransferState
{
    CURL* curl = nullptr;
    const std::atomic_bool* cancel = nullptr;
    bool hasCredentials = false; // of the link or of the proxy
    bool readPage = false;       // a final HTML 200 is read on for what the page says
    bool stoppedByUs = false;
    bool headComplete = false;
    bool headHasLocation = false;
    bool headHasChallenge = false;
    bool outOfDescriptors = false; // a socket could not be made for lack of them
    bool headTooLarge = false;
    qsizetype headBytes = 0;            // of the head last begun
    QByteArray reasonPhrase;            // of the head last begun
    QByteArray retryAfter;              // of the head last begun
    QByteArray contentType;             // of the head last begun, kept only when pages are read
    QByteArray location;                // of the head last begun, folded lines joined
    bool inLocation = false;            // a folded line goes on with the Location
    bool onlyPermanentRedirects = true; // every redirect so far was a 301 or a 308
    // A redirect libcurl cannot follow, as a browser reads it, or one no
    // browser would follow; and redirects followed before the current
    // transfer of the handle, by libcurl or by hand.
    std::optional<QByteArray> followByHand;
    bool malformedRedirect = false;
    bool tooManyRedirects = false;
    long redirectsBefore = 0;
    // The address of each answer on the way, kept only when pages are read:
    // a parked page may name any domain of the chain.
    QList<QByteArray> route;
    std::unique_ptr<PageReading> page; // once a final HTML 200's head is in
};

// Only the head decides, unless the page is being read; should a body begin
// before the verdict was taken (an answer whose head looked like it might not
// be the last), its first byte ends the transfer.
size_t takeBody(char* data, size_t size, size_t count, void* userData)
{
    const size_t length = size * count;
    if (length == 0)
        return 0;
    auto& state = *static_cast<TransferState*>(userData);
    if (state.page && state.page->take(QByteArrayView(data, qsizetype(length))))
        return length;
    state.stoppedByUs = true;
    return 0;
}

// Also called while no data comes, so a body that stalls cannot keep the
// page reading past its time.
int watchProgress(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto& state = *static_cast<TransferState*>(userData);
    if (state.cancel && state.cancel->load())
        return 1;
    if (!state.page || !state.page->timeIsUp())
        return 0;
    state.stoppedByUs = true;
    return 1;
}

// libcurl reports a socket it could not make as a connection that failed,
// with no error number; made here, the reason is known. Close-on-exec, so
// a browser started meanwhile inherits no probe's connection.
curl_socket_t openSocket(void* userData, curlsocktype, curl_sockaddr* address)
{
    const curl_socket_t made =
        ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (made == CURL_SOCKET_BAD && (errno == EMFILE || errno == ENFILE))
        static_cast<TransferState*>(userData)->outOfDescriptors = true;
    return made;
}

struct EasyDeleter
{
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

struct UrlDeleter
{
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

// What the probe needs to know of a link before it asks for it.
struct LinkShape
{
    bool usable = false;
    bool hasUser = false;
};

// libcurl would guess "http" for a link without a scheme; such a link is not
// a URL and must stay dead, so it is parsed here without guessing first.
LinkShape shapeOf(const QByteArray& link)
{
    LinkShape shape;
    const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, link.constData(), 0) != CURLUE_OK)
        return shape;
    shape.usable = true;
    char* user = nullptr;
    shape.hasUser = curl_url_get(url.get(), CURLUPART_USER, &user, 0) == CURLUE_OK;
    curl_free(user);
    return shape;
}

bool isAsciiUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

// A copy lowered in A-Z only; nothing else of the link may change.
QByteArray asciiLower(const QByteArray& text)
{
    QByteArray lowered = text;
    for (char& c : lowered) {
        if (isAsciiUpper(c))
            c = char(c - 'A' + 'a');
    }
    return lowered;
}

// "HTTP/1.1 404 Not Found" gives "Not Found"; HTTP/2 has no phrase at all.
QByteArray reasonPhraseOf(const QByteArray& statusLine)
{
    const qsizetype codeStart = statusLine.indexOf(' ');
    if (codeStart < 0)
        return {};
    const qsizetype phraseStart = statusLine.indexOf(' ', codeStart + 1);
    if (phraseStart < 0)
        return {};
    return statusLine.mid(phraseStart + 1).trimmed().left(MaxReasonPhrase);
}

long responseCode(CURL* curl)
{
    long code = 0;
    return curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code) == CURLE_OK ? code : 0;
}

const char* effectiveUrl(CURL* curl)
{
    const char* url = nullptr;
    return curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &url) == CURLE_OK ? url : nullptr;
}

// The host and port a URL names, lower-cased; empty when it is no URL.
QString hostKey(const QByteArray& address)
{
    const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.constData(), 0) != CURLUE_OK)
        return {};
    char* host = nullptr;
    char* port = nullptr;
    QString key;
    if (curl_url_get(url.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK &&
        curl_url_get(url.get(), CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK)
        key = QString::fromUtf8(asciiLower(host)) + u':' + QString::fromLatin1(port);
    curl_free(host);
    curl_free(port);
    return key;
}

bool isRedirectHead(const TransferState& state, long code)
{
    return code >= 300 && code < 400 && state.headHasLocation;
}

// An informational head comes before the answer, libcurl follows a redirect
// that names its target, and it answers a challenge when it has credentials;
// any other head is the final answer.
bool isFinalHead(const TransferState& state, long code)
{
    if (code < 200 || isRedirectHead(state, code))
        return false;
    return !((code == 401 || code == 407) && state.headHasChallenge && state.hasCredentials);
}

QByteArray headerValue(const QByteArray& line)
{
    return line.mid(line.indexOf(':') + 1).trimmed();
}

QByteArray withoutLineEnd(QByteArray line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

void noteHeaderLine(TransferState& state, const QByteArray& line)
{
    // A line that begins with a blank goes on with the header before it.
    if (line.startsWith(' ') || line.startsWith('\t')) {
        if (state.inLocation)
            state.location += "\r\n" + withoutLineEnd(line);
        return;
    }
    state.inLocation = false;
    const QByteArray lowered = asciiLower(line.left(20));
    if (lowered.startsWith("location:")) {
        // libcurl follows the first one.
        state.inLocation = !state.headHasLocation;
        if (state.inLocation)
            state.location = withoutLineEnd(line.mid(qsizetype(sizeof("location:") - 1)));
        state.headHasLocation = true;
    } else if (lowered.startsWith("www-authenticate:") || lowered.startsWith("proxy-authenticate:"))
        state.headHasChallenge = true;
    else if (lowered.startsWith("retry-after:"))
        state.retryAfter = headerValue(line);
    else if (state.readPage && lowered.startsWith("content-type:"))
        state.contentType = headerValue(line);
}

// libcurl has moved to the answer's address by the time its status line
// comes, also after a redirect.
void beginHead(TransferState& state, const QByteArray& statusLine)
{
    state.headComplete = false;
    state.headHasLocation = false;
    state.headHasChallenge = false;
    state.reasonPhrase = reasonPhraseOf(statusLine);
    state.retryAfter.clear();
    state.location.clear();
    state.inLocation = false;
    if (!state.readPage)
        return;
    state.contentType.clear();
    const char* url = effectiveUrl(state.curl);
    if (url && (state.route.isEmpty() || state.route.constLast() != url))
        state.route.append(QByteArray(url));
}

// The body of a final HTML 200 is read on when pages are read at all.
bool beginPageReading(TransferState& state, long code)
{
    if (!state.readPage || code != 200 || !PageSniffer::isHtml(state.contentType))
        return false;
    QStringList hosts;
    for (const QByteArray& url : std::as_const(state.route))
        hosts.append(hostKey(url));
    const QString linkHost = hosts.isEmpty() ? QString() : hosts.takeFirst();
    state.page = std::make_unique<PageReading>(state.contentType, linkHost, hosts);
    return true;
}

// libcurl follows a redirect unless its Location holds a control byte;
// then the transfer ends here, and the redirect is followed by hand or
// judged malformed.
bool curlFollows(TransferState& state)
{
    const RedirectLocation location = ReadRedirectLocation(state.location);
    switch (location.kind) {
    case RedirectLocation::Kind::AsSent:
        return true;
    case RedirectLocation::Kind::Cleaned:
        state.followByHand = location.target;
        break;
    case RedirectLocation::Kind::Malformed:
        state.malformedRedirect = true;
        break;
    }
    return false;
}

// At the blank line of a head: whether the transfer goes on.
bool headEnded(TransferState& state)
{
    state.headComplete = true;
    const long code = responseCode(state.curl);
    if (isRedirectHead(state, code) && code != 301 && code != 308)
        state.onlyPermanentRedirects = false;
    if (isRedirectHead(state, code) && !curlFollows(state)) {
        state.stoppedByUs = true;
        return false;
    }
    if (!isFinalHead(state, code) || beginPageReading(state, code))
        return true;
    state.stoppedByUs = true;
    return false;
}

// libcurl takes a connection closed inside the head for an answer made of the
// lines it got so far; only a head that reached its blank line is an answer.
// A status line opens the head of each answer on the way (redirects too). The
// blank line of the final head ends the transfer, the verdict needing no more,
// unless the page is to be read; trailers after it end the reading.
size_t watchHead(char* line, size_t size, size_t count, void* userData)
{
    const size_t length = size * count;
    auto& state = *static_cast<TransferState*>(userData);
    if (state.page) {
        state.stoppedByUs = true;
        return 0;
    }
    const QByteArray text = QByteArray::fromRawData(line, qsizetype(length));
    const bool statusLine = asciiLower(text.left(5)) == "http/";
    state.headBytes = (statusLine ? 0 : state.headBytes) + text.size();
    if (state.headBytes > MaxHeadBytes) {
        state.headTooLarge = true;
        return 0;
    }
    if (text == "\r\n" || text == "\n")
        return headEnded(state) ? length : 0;
    if (statusLine) {
        beginHead(state, text);
        return length;
    }
    noteHeaderLine(state, text);
    return length;
}

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
        .set(CURLOPT_USERAGENT, UserAgent)
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
        .set(CURLOPT_WRITEFUNCTION, &takeBody)
        .set(CURLOPT_WRITEDATA, static_cast<void*>(state))
        .set(CURLOPT_HEADERFUNCTION, &watchHead)
        .set(CURLOPT_HEADERDATA, static_cast<void*>(state))
        // A proxy's answer to CONNECT is no head of the link's answer.
        .set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L)
        .set(CURLOPT_XFERINFOFUNCTION, &watchProgress)
        .set(CURLOPT_XFERINFODATA, static_cast<void*>(state))
        .set(CURLOPT_OPENSOCKETFUNCTION, &openSocket)
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
    if (stoppedByUs && state.tooManyRedirects)
        return FailedProbe(ProbeOutcome::TooManyRedirects);
    if (!ended)
        return TransferFailure(curl, performed, message, throughProxy, limits, elapsedMs);
    if (!state.headComplete)
        return FailedProbe(ProbeOutcome::CutHead);
    ProbeResult result;
    result.outcome = ProbeOutcome::Answered;
    result.statusCode = qint16(responseCode(curl));
    result.detail = QString::fromLatin1(state.reasonPhrase);
    result.alive = isAliveStatus(QByteArray::number(result.statusCode));
    result.retryAfterSeconds = retryAfterOf(state.retryAfter);
    if (state.page)
        result.page = state.page->signal();
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
    const char* finalUrl = effectiveUrl(state.curl);
    if (!finalUrl)
        return;
    result.movedToHomePage = MovedToHomePage(url, finalUrl);
    if (url != finalUrl)
        result.finalAddress = MaskPassword(QString::fromUtf8(finalUrl));
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

// The link after the "http://" rule.
QByteArray requestedUrl(const QString& link)
{
    QByteArray url = LinkTo8Bit(link);
    if (!asciiLower(url).contains("http"))
        url.prepend("http://");
    return url;
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

QByteArray LinkTo8Bit(const QString& link)
{
    static const char hexDigits[] = "0123456789ABCDEF";
    const QByteArray utf8 = link.toUtf8();
    QByteArray result;
    result.reserve(utf8.size());
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F) {
            result.append(c);
            continue;
        }
        result.append('%');
        result.append(hexDigits[byte >> 4]);
        result.append(hexDigits[byte & 0x0F]);
    }
    return result;
}

QString ProbeHost(const QString& link)
{
    return hostKey(requestedUrl(link));
}

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
    s.url = requestedUrl(link);
    const LinkShape shape = shapeOf(s.url);
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
    State& s = *state_;
    TransferState& t = s.transfer;
    if (!t.followByHand || performed != CURLE_WRITE_ERROR)
        return false;
    const QByteArray target =
        ResolvedRedirect(effectiveUrl(t.curl), *std::exchange(t.followByHand, std::nullopt));
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
