#pragma once

#include <QHash>
#include <QString>
#include <deque>
#include <functional>
#include <limits>
#include <optional>

// Milliseconds on a clock that only goes forward; the schedule's times are on it.
using ProbeClock = std::function<qint64()>;
qint64 SteadyClockMs();

// Which waiting link may start next. Links start in the order they were
// handed over, up to a total at once and at most a few at once per host (a
// server is not to be flooded by one user); a link whose host is at its limit
// waits while later links of other hosts go ahead. A link without a host
// (one that is no URL) is bound by the total only. A link may be due only
// from a given time on, and a host that asked for a pause is held until it
// is over; links waiting for their time take no slot meanwhile. The pauses
// of one host add up to a budget at most: a host that asks for more once it
// is spent is given up, and its waiting links never start.
class ProbeSchedule final
{
public:
    static constexpr int DefaultPerHost = 6;
    static constexpr qint64 NoBudget = std::numeric_limits<qint64>::max();

    // A host whose links wait for its pause to end.
    struct HostHold
    {
        QString host;
        qint64 leftMs = 0;
    };

    struct Link
    {
        quint64 ticket = 0;
        QString link;
        QString host;         // host:port; letter case does not matter
        qint64 notBefore = 0; // on the schedule's clock
    };

    explicit ProbeSchedule(int total, int perHost = DefaultPerHost,
                           ProbeClock clock = SteadyClockMs);

    // The time a host may be held in all, over every pause it asks for.
    void setHostWaitBudget(qint64 ms) { hostWaitBudget_ = std::max<qint64>(ms, 0); }

    void add(Link link);
    // No link of the host of a running one starts before until, as far as
    // the budget reaches; time already held is not counted twice. The host
    // when its budget was spent before and it is not being held: this gives
    // it up. Else empty.
    QString holdHostOf(quint64 ticket, qint64 until);
    // The held host with waiting links whose pause ends last, if any.
    std::optional<HostHold> longestHold() const;
    // The earliest time a waiting link that is kept back by the clock alone
    // becomes free to start; none when no link waits for a time.
    std::optional<qint64> nextDue() const;
    // Takes back a waiting link; false when it has started or is unknown.
    bool remove(quint64 ticket);
    void clearWaiting();

    // The first waiting link that may start now, counted as running from here on.
    std::optional<Link> startNext();
    void finished(quint64 ticket);
    // A running link whose transfer could not get a file descriptor. While
    // others run, it goes back to the head of the queue and the total at once
    // drops to those still running: it starts again only when one of them has
    // ended and given its descriptors back, and the run settles at what the
    // system can hold. Each call lowers the total, so this cannot go round
    // for ever. Alone, no waiting would bring a descriptor: false, and the
    // link is finished.
    bool retryLater(quint64 ticket);

    bool hasWaiting() const { return !waiting_.empty(); }
    int running() const { return int(running_.size()); }
    bool isFull() const { return running() >= total_; }

private:
    bool mayStart(const Link& link, qint64 now) const;
    // When a waiting link's own time and its host's hold allow it to start.
    qint64 dueAt(const Link& link) const;
    // Takes a running link out of the counts.
    Link stopRunning(QHash<quint64, Link>::iterator it);

    int total_;
    int perHost_;
    ProbeClock clock_;
    std::deque<Link> waiting_;
    QHash<quint64, Link> running_;
    QHash<QString, int> runningPerHost_;
    QHash<QString, qint64> heldUntil_; // NoBudget for a host given up
    QHash<QString, qint64> heldFor_;   // the time each host was held in all
    qint64 hostWaitBudget_ = NoBudget;
    bool timesGiven_ = false; // some link came with a time of its own
};

// How many probes may run at once, of wanted, with freeDescriptors left to
// open: each probe holds a socket, a name lookup's pipe pair and, for a
// moment, the files that lookup and TLS read, and a reserve stays for the
// program's own files (settings, a folder being loaded, the Trash). At least
// one, so that a run always moves.
int LinksAtOnceWithin(int wanted, int freeDescriptors);
