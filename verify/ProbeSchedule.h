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

    bool hasWaiting() const { return !waiting_.empty(); }
    int running() const { return int(running_.size()); }
    bool isFull() const { return running() >= total_; }

private:
    bool mayStart(const QString& host) const;

    int total_;
    int perHost_;
    std::deque<Link> waiting_;
    QHash<quint64, QString> running_; // ticket to host
    QHash<QString, int> runningPerHost_;
};
