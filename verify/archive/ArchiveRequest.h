#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>

// What one GET of the availability service brought back.
struct ArchiveReply
{
    bool answered = false;    // a status line came; otherwise error says why
    bool unreachable = false; // the service could not be reached at all
    long status = 0;
    QByteArray body;
    QByteArray retryAfter; // the Retry-After header's value, if any
    QString error;
};

// Asks url on one easy handle of its own with the program's User-Agent,
// within timeoutMs in all; cancel, when set, ends it early. Blocks.
ArchiveReply FetchArchive(const QByteArray& url, long timeoutMs, const std::atomic_bool& cancel);

// The service's address for link's snapshot nearest to timestamp.
QByteArray ArchiveQueryUrl(const QString& address, const QString& link,
                           const QByteArray& timestamp);
