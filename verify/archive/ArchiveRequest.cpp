#include "ArchiveRequest.h"

#include "UserAgent.h"

#include <QUrl>
#include <curl/curl.h>
#include <memory>

namespace {

// An availability answer is a few hundred bytes; more is no answer of its.
constexpr qsizetype MaxBody = 256 * 1024;
const char AllowedProtocols[] = "http,https";
const long MaxRedirects = 5;

struct Fetch
{
    ArchiveReply reply;
    const std::atomic_bool* cancel = nullptr;
    bool tooLarge = false;
};

size_t takeBody(char* data, size_t size, size_t count, void* user)
{
    auto* fetch = static_cast<Fetch*>(user);
    const size_t bytes = size * count;
    if (fetch->reply.body.size() + qsizetype(bytes) > MaxBody) {
        fetch->tooLarge = true;
        return 0;
    }
    fetch->reply.body.append(data, qsizetype(bytes));
    return bytes;
}

size_t takeHeader(char* data, size_t size, size_t count, void* user)
{
    auto* fetch = static_cast<Fetch*>(user);
    const size_t bytes = size * count;
    const QByteArray line = QByteArray(data, qsizetype(bytes)).trimmed();
    // A redirect's head comes first; only the last one's header is wanted.
    if (line.startsWith("HTTP/"))
        fetch->reply.retryAfter.clear();
    const qsizetype colon = line.indexOf(':');
    if (colon > 0 && line.left(colon).trimmed().compare("Retry-After", Qt::CaseInsensitive) == 0)
        fetch->reply.retryAfter = line.mid(colon + 1).trimmed();
    return bytes;
}

int watchCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Fetch*>(user)->cancel->load() ? 1 : 0;
}

struct EasyDeleter
{
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

bool setUp(CURL* curl, const QByteArray& url, long timeoutMs, Fetch* fetch, char* errorBuffer)
{
    bool ok = true;
    const auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(curl, option, value) == CURLE_OK;
    };
    set(CURLOPT_URL, url.constData());
    set(CURLOPT_HTTPGET, 1L);
    set(CURLOPT_USERAGENT, ProgramUserAgent);
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, MaxRedirects);
    set(CURLOPT_PROTOCOLS_STR, AllowedProtocols);
    set(CURLOPT_REDIR_PROTOCOLS_STR, AllowedProtocols);
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    set(CURLOPT_TIMEOUT_MS, timeoutMs);
    set(CURLOPT_ERRORBUFFER, errorBuffer);
    set(CURLOPT_WRITEFUNCTION, &takeBody);
    set(CURLOPT_WRITEDATA, static_cast<void*>(fetch));
    set(CURLOPT_HEADERFUNCTION, &takeHeader);
    set(CURLOPT_HEADERDATA, static_cast<void*>(fetch));
    set(CURLOPT_XFERINFOFUNCTION, &watchCancel);
    set(CURLOPT_XFERINFODATA, static_cast<void*>(fetch));
    set(CURLOPT_NOPROGRESS, 0L);
    return ok;
}

} // namespace

ArchiveReply FetchArchive(const QByteArray& url, long timeoutMs, const std::atomic_bool& cancel)
{
    Fetch fetch;
    fetch.cancel = &cancel;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    const std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl || !setUp(curl.get(), url, timeoutMs, &fetch, errorBuffer)) {
        fetch.reply.error = QStringLiteral("the request could not be set up");
        return fetch.reply;
    }
    const CURLcode performed = curl_easy_perform(curl.get());
    if (performed != CURLE_OK) {
        fetch.reply.unreachable = performed == CURLE_COULDNT_CONNECT ||
                                  performed == CURLE_COULDNT_RESOLVE_HOST ||
                                  performed == CURLE_COULDNT_RESOLVE_PROXY;
        fetch.reply.error = fetch.tooLarge   ? QStringLiteral("the answer is too large")
                            : errorBuffer[0] ? QString::fromUtf8(errorBuffer)
                                             : QString::fromUtf8(curl_easy_strerror(performed));
        return fetch.reply;
    }
    long status = 0;
    if (curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status <= 0) {
        fetch.reply.error = QStringLiteral("no status came");
        return fetch.reply;
    }
    fetch.reply.answered = true;
    fetch.reply.status = status;
    return fetch.reply;
}

QByteArray ArchiveQueryUrl(const QString& address, const QString& link, const QByteArray& timestamp)
{
    QByteArray base = address.trimmed().toUtf8();
    while (base.endsWith('/'))
        base.chop(1);
    return base + "/wayback/available?url=" + QUrl::toPercentEncoding(link) +
           "&timestamp=" + timestamp;
}
