#pragma once

#include "LocalHttpServer.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <map>
#include <mutex>
#include <vector>

// The Internet Archive's availability service as a test plays it, on
// 127.0.0.1. The first of these words in the link asked about picks the
// answer (so a link of a loopback server can carry one in its path):
//   alwaysbusy  429 with Retry-After: 1 every time
//   busy        429 with Retry-After: 1 the first time, then found
//   found       a 200 snapshot taken at the time asked for
//   none        no snapshot
//   down        503 without Retry-After
//   slow        found, after SlowAnswer
//   malformed   a body that is no JSON
//   anything else: 500
// Every request is recorded with the link, timestamp and User-Agent it came
// with, and when it arrived.
class ArchiveStandIn final
{
public:
    static constexpr std::chrono::milliseconds SlowAnswer{1500};

    struct Asked
    {
        QString link;
        QByteArray timestamp;
        std::string userAgent;
        std::string path;
        std::chrono::steady_clock::time_point at;
    };

    ArchiveStandIn();

    // Where the service is, as ArchiveAddress names it.
    QString address() const;
    std::vector<Asked> asked() const;
    // The snapshot address the stand-in gives for link at timestamp.
    static QString copyOf(const QString& link, const QByteArray& timestamp);

private:
    void answer(const httplib::Request& request, httplib::Response& response);

    mutable std::mutex mutex_;
    std::vector<Asked> asked_;
    std::map<std::string, int> times_; // how often each word was asked
    LocalHttpServer server_;           // last: it serves while the rest is there
};
