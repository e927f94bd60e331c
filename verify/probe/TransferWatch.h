#pragma once

#include "PageReading.h"

#include <QByteArray>
#include <QList>
#include <atomic>
#include <curl/curl.h>
#include <memory>
#include <optional>

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
    bool movedByPage = false; // a page read on the way sent the browser on
    // The address of each answer on the way, kept only when pages are read:
    // a parked page may name any domain of the chain.
    QList<QByteArray> route;
    std::unique_ptr<PageReading> page; // once a final HTML 200's head is in
};

// libcurl's callbacks of a transfer; each is given the transfer's state as
// its user data.

// Only the head decides, unless the page is being read; should a body begin
// before the verdict was taken (an answer whose head looked like it might not
// be the last), its first byte ends the transfer.
size_t TakeBody(char* data, size_t size, size_t count, void* userData);

// Also called while no data comes, so a body that stalls cannot keep the
// page reading past its time.
int WatchProgress(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

// libcurl reports a socket it could not make as a connection that failed,
// with no error number; made here, the reason is known. Close-on-exec, so
// a browser started meanwhile inherits no probe's connection.
curl_socket_t OpenSocket(void* userData, curlsocktype, curl_sockaddr* address);

// libcurl takes a connection closed inside the head for an answer made of the
// lines it got so far; only a head that reached its blank line is an answer.
// A status line opens the head of each answer on the way (redirects too). The
// blank line of the final head ends the transfer, the verdict needing no more,
// unless the page is to be read; trailers after it end the reading.
size_t WatchHead(char* line, size_t size, size_t count, void* userData);

// The status of the answer last begun; 0 when there is none.
long ResponseCode(CURL* curl);
// The address libcurl has reached; null when it cannot tell.
const char* EffectiveUrl(CURL* curl);
