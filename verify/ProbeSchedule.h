#pragma once

#include <QHash>
#include <QString>
#include <deque>
#include <optional>

// Which waiting link may start next. Links start in the order they were
// handed over, up to a total at once and at most a few at once per host (a
// server is not to be flooded by one user); a link whose host is at its limit
// waits while later links of other hosts go ahead. A link without a host
// (one that is no URL) is bound by the total only.
class ProbeSchedule final
{
public:
    static constexpr int DefaultPerHost = 6;

    struct Link
    {
        quint64 ticket = 0;
        QString link;
        QString host; // host:port; letter case does not matter
    };

    explicit ProbeSchedule(int total, int perHost = DefaultPerHost);

    void add(Link link);
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
    bool mayStart(const QString& host) const;
    // Takes a running link out of the counts.
    Link stopRunning(QHash<quint64, Link>::iterator it);

    int total_;
    int perHost_;
    std::deque<Link> waiting_;
    QHash<quint64, Link> running_;
    QHash<QString, int> runningPerHost_;
};

// How many probes may run at once, of wanted, with freeDescriptors left to
// open: each probe holds a socket, a name lookup's pipe pair and, for a
// moment, the files that lookup and TLS read, and a reserve stays for the
// program's own files (settings, a folder being loaded, the Trash). At least
// one, so that a run always moves.
int LinksAtOnceWithin(int wanted, int freeDescriptors);
