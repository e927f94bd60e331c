#include "ProbeLink.h"

#include <curl/curl.h>

#include <memory>

namespace {

const char UserAgent[] = "InetURL:/1.0";
const char AllowedProtocols[] = "http,https";
const long MaxRedirects = 30;

// What the callbacks of one transfer share with the call that started it.
struct TransferState
{
    const std::atomic_bool* cancel = nullptr;
    bool stoppedAtBody = false;
    bool headComplete = false;
};

// The status line has arrived once the body begins, and the body is never
// wanted, so the first byte of it ends the transfer.
size_t refuseBody(char*, size_t size, size_t count, void* userData)
{
    if (size * count == 0)
        return 0;
    static_cast<TransferState*>(userData)->stoppedAtBody = true;
    return 0;
}

int abortWhenCancelled(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* state = static_cast<const TransferState*>(userData);
    return state->cancel && state->cancel->load() ? 1 : 0;
}

struct EasyDeleter
{
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

struct UrlDeleter
{
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

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

// libcurl takes a connection closed inside the head for an answer made of the
// lines it got so far; only a head that reached its blank line is an answer.
// A status line opens the head of each answer on the way (redirects too).
size_t watchHead(char* line, size_t size, size_t count, void* userData)
{
    const size_t length = size * count;
    auto* state = static_cast<TransferState*>(userData);
    const QByteArray text = QByteArray::fromRawData(line, qsizetype(length));
    if (text == "\r\n" || text == "\n")
        state->headComplete = true;
    else if (asciiLower(text.left(5)) == "http/")
        state->headComplete = false;
    return length;
}

// libcurl would guess "http" for a link without a scheme; such a link is not
// a URL and must stay dead, so it is parsed here without guessing first.
bool hasUsableScheme(const QByteArray& link)
{
    const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    return url && curl_url_set(url.get(), CURLUPART_URL, link.constData(), 0) == CURLUE_OK;
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
                   const ProbeLimits& limits, TransferState* state)
{
    OptionSetter options(curl);
    options.set(CURLOPT_URL, url.constData())
        .set(CURLOPT_HTTPGET, 1L)
        .set(CURLOPT_USERAGENT, UserAgent)
        .set(CURLOPT_FOLLOWLOCATION, 1L)
        .set(CURLOPT_MAXREDIRS, MaxRedirects)
        .set(CURLOPT_PROTOCOLS_STR, AllowedProtocols)
        .set(CURLOPT_REDIR_PROTOCOLS_STR, AllowedProtocols)
        .set(CURLOPT_NOSIGNAL, 1L)
        .set(CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs)
        .set(CURLOPT_LOW_SPEED_LIMIT, 1L)
        .set(CURLOPT_LOW_SPEED_TIME, limits.lowSpeedTimeSeconds)
        .set(CURLOPT_WRITEFUNCTION, &refuseBody)
        .set(CURLOPT_WRITEDATA, static_cast<void*>(state))
        .set(CURLOPT_HEADERFUNCTION, &watchHead)
        .set(CURLOPT_HEADERDATA, static_cast<void*>(state))
        .set(CURLOPT_XFERINFOFUNCTION, &abortWhenCancelled)
        .set(CURLOPT_XFERINFODATA, static_cast<void*>(state))
        .set(CURLOPT_NOPROGRESS, 0L);
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

} // namespace

QByteArray LinkTo8Bit(const QString& link)
{
    static const char hexDigits[] = "0123456789ABCDEF";
    const QByteArray utf8 = link.toUtf8();
    QByteArray result;
    result.reserve(utf8.size());
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            result.append(c);
            continue;
        }
        result.append('%');
        result.append(hexDigits[byte >> 4]);
        result.append(hexDigits[byte & 0x0F]);
    }
    return result;
}

bool ProbeLink(const QString& link, const ProxySettings& proxy, const ProbeLimits& limits,
               const std::atomic_bool* cancel)
{
    if (cancel && cancel->load())
        return false;

    QByteArray url = LinkTo8Bit(link);
    if (!asciiLower(url).contains("http"))
        url.prepend("http://");
    if (!hasUsableScheme(url))
        return false;

    const QByteArray proxyString =
        proxy.useProxy ? (proxy.address + ':' + proxy.port).toUtf8() : QByteArray();

    const std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl)
        return false;

    TransferState state;
    state.cancel = cancel;
    if (!setUpTransfer(curl.get(), url, proxyString, proxy.useProxy, limits, &state))
        return false;

    const CURLcode performed = curl_easy_perform(curl.get());
    const bool answered =
        state.headComplete &&
        (performed == CURLE_OK || (performed == CURLE_WRITE_ERROR && state.stoppedAtBody));
    if (!answered)
        return false;

    long code = 0;
    if (curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &code) != CURLE_OK)
        return false;
    return isAliveStatus(QByteArray::number(qlonglong(code)));
}
