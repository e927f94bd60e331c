#include "TransferWatch.h"

#include "ProbeAddress.h"
#include "RedirectLocation.h"

#include <cerrno>
#include <sys/socket.h>

namespace {

// A reason phrase is shown, not parsed; a server's endless one is cut here.
const qsizetype MaxReasonPhrase = 200;
// A head beyond this is no sound answer. libcurl has a bound of its own a
// little above it, but names that a failure to receive; this one is told.
const qsizetype MaxHeadBytes = 256 * 1024;

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
    const QByteArray lowered = AsciiLower(line.left(20));
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
    const char* url = EffectiveUrl(state.curl);
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
        hosts.append(HostKey(url));
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
    const long code = ResponseCode(state.curl);
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

} // namespace

size_t TakeBody(char* data, size_t size, size_t count, void* userData)
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

int WatchProgress(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto& state = *static_cast<TransferState*>(userData);
    if (state.cancel && state.cancel->load())
        return 1;
    if (!state.page || !state.page->timeIsUp())
        return 0;
    state.stoppedByUs = true;
    return 1;
}

curl_socket_t OpenSocket(void* userData, curlsocktype, curl_sockaddr* address)
{
    const curl_socket_t made =
        ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (made == CURL_SOCKET_BAD && (errno == EMFILE || errno == ENFILE))
        static_cast<TransferState*>(userData)->outOfDescriptors = true;
    return made;
}

size_t WatchHead(char* line, size_t size, size_t count, void* userData)
{
    const size_t length = size * count;
    auto& state = *static_cast<TransferState*>(userData);
    if (state.page) {
        state.stoppedByUs = true;
        return 0;
    }
    const QByteArray text = QByteArray::fromRawData(line, qsizetype(length));
    const bool statusLine = AsciiLower(text.left(5)) == "http/";
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

long ResponseCode(CURL* curl)
{
    long code = 0;
    return curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code) == CURLE_OK ? code : 0;
}

const char* EffectiveUrl(CURL* curl)
{
    const char* url = nullptr;
    return curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &url) == CURLE_OK ? url : nullptr;
}
