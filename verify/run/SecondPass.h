#pragma once

#include "ProbeResult.h"

#include <QString>
#include <QtGlobal>
#include <deque>
#include <limits>

class BookmarkNode;

// The links of a run whose first answer may pass (a 503, a time-out, a
// refused connection), waiting to be asked again once every link has had
// its first answer: no sooner than a delay after it and than its
// Retry-After.
class SecondPass final
{
public:
    struct Waiting
    {
        BookmarkNode* node;
        QString link;
        QString host;
        ProbeResult firstAnswer;
        int attempts;
        qint64 due; // the second opinion's earliest time (SteadyClockMs)
    };

    explicit SecondPass(int delayMs) : delayMs_(delayMs) {}

    // The least wait before a link is asked again.
    void setDelay(int ms) { delayMs_ = ms; }
    // The most a Retry-After may add to it: what its host may be waited for.
    void setLongestWait(qint64 ms) { longestWaitMs_ = ms; }

    void wait(BookmarkNode* node, const QString& link, const QString& host,
              const ProbeResult& firstAnswer, int attempts);
    // Once the first pass is over: those asked to wait longest go last, so
    // none holds up the others.
    void order();
    bool empty() const { return waiting_.empty(); }
    Waiting takeNext();
    std::deque<Waiting> takeAll();
    void clear() { waiting_.clear(); }
    // Forgets the links in the subtree of top; how many there were.
    int forgetWithin(const BookmarkNode* top);
    // Takes out the links of host (as ProbeHost gives it).
    std::deque<Waiting> takeHost(const QString& host);

private:
    std::deque<Waiting> waiting_;
    int delayMs_;
    qint64 longestWaitMs_ = std::numeric_limits<qint64>::max();
};
