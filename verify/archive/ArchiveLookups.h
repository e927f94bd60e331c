#pragma once

#include "ArchiveAnswer.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

// One dead link to look up: what the results store knows it by, and the
// shortcut whose times say which snapshot is nearest.
struct ArchiveQuestion
{
    QByteArray key;
    QString link;
    std::string path;
    std::int64_t fileModifiedNs = 0;
};

// How politely the service is asked; tests shorten the time-out.
struct ArchiveManners
{
    long timeoutMs = 10000;
    std::chrono::milliseconds gap{1000}; // at least this between two requests
    int maxLookups = 200;                // in one run
};

// Why the lookups of a run ended.
enum class ArchiveEnd
{
    Done,
    Refused,     // the service said 429 or 503 (again, after waiting)
    Unreachable, // the service could not be reached at all
    Limit,       // the most a run may ask were asked
    Cancelled,
};

// The status bar's text for an end that leaves links unasked; empty for
// Done and Cancelled.
QString ArchiveEndText(ArchiveEnd end);

// Asks the archive's availability service at address about each question
// in turn, one request at a time and no more than one in a gap; the first
// 429 or 503 of a run is asked once more after its Retry-After (at most a
// minute), and one without it, or any later one, ends the lookups. answered hears every
// answer, a failure to read one included. Blocks; cancel ends it early.
class ArchiveLookups final
{
public:
    using Answered = std::function<void(const ArchiveQuestion&, const ArchiveAnswer&)>;

    ArchiveLookups(const QString& address, const ArchiveManners& manners,
                   const std::atomic_bool& cancel);

    ArchiveEnd run(const QList<ArchiveQuestion>& questions, const Answered& answered);

private:
    struct Asked;
    Asked ask(const QByteArray& url);
    // Waits until the next request may go; false when cancelled meanwhile.
    bool waitUntil(std::chrono::steady_clock::time_point when) const;

    QString address_;
    ArchiveManners manners_;
    const std::atomic_bool& cancel_;
    std::chrono::steady_clock::time_point nextAllowed_{};
};
