#pragma once

#include "RunTally.h"
#include "Settings.h"
#include "TMyThread.h"
#include "Verdict.h"

#include <QElapsedTimer>
#include <QObject>
#include <deque>
#include <memory>

class BookmarkModel;
class BookmarkNode;

// One verification run: the walk's cursor lives here on the main thread, the
// probing on a TMyThread. The worker always has links waiting beyond those
// it may run at once, so its limits, not the hand-out, decide what runs.
// Results are stored and repainted as they arrive. Deleting nodes while the run walks them is safe:
// the cursor steps over a removed subtree, a waiting link of a removed node
// is taken back, and the result of a removed node's probe is dropped.
class VerificationRun final : public QObject
{
    Q_OBJECT

public:
    VerificationRun(BookmarkModel& tree, std::shared_ptr<const SharedProxySettings> settings,
                    std::unique_ptr<ProbeEngine> engine,
                    int linksAtOnce = Settings::DefaultLinksAtOnce, QObject* parent = nullptr);
    ~VerificationRun() override;

    // Before start(): how the answers are judged (a person's way by default).
    void setJudgeMode(JudgeMode mode);

    // Starts the worker and the walk from the first node. False when the
    // worker thread could not be started; the run is then over.
    bool start();
    // Starts no more probes; those in flight still finish and are stored.
    void stop();
    // Stops at once: the transfers in flight are cancelled and the worker joined.
    void abort();

    bool isWorkerRunning() const;
    // Whether stop() or abort() was called.
    bool isStopped() const { return stopRequested_; }
    // The counts so far; the time runs until the worker ends or Stop.
    RunTally tally() const;
    // Lets tests make the worker's creation fail (a stack below the system minimum).
    void setWorkerStackSize(uint bytes);
    // The node of the oldest link handed to the worker, if any and not
    // removed since: the first one being probed (for tests).
    BookmarkNode* nodeInFlight() const
    {
        return pending_.empty() ? nullptr : pending_.front().node;
    }

signals:
    // The worker has ended (walk done, stopped, or aborted).
    void ended(VerificationRun* run);
    // A verdict was counted.
    void tallied(VerificationRun* run);
    // A link's verdict was stored in the tree, with all that was found out;
    // an unchecked one (see VerdictOf) leaves the link as it was.
    void verdictStored(BookmarkNode* node, const ProbeResult& result);

private:
    struct Pending
    {
        quint64 ticket;
        BookmarkNode* node; // null once removed from the tree
    };

    void handOutNext();
    void onProbed(quint64 ticket, const ProbeResult& result);
    void count(const ProbeResult& result);
    void stopClock();
    int uncheckedLinks(BookmarkNode* first, const BookmarkNode* end) const;
    void onNodeAboutToBeRemoved(BookmarkNode* node);
    void onWorkerFinished();
    void takeBackWaitingLinks();

    BookmarkModel& tree_;
    std::unique_ptr<TMyThread> worker_;
    BookmarkNode* cursor_ = nullptr; // next node to look at
    std::deque<Pending> pending_;    // handed to the worker, oldest first
    size_t linksAhead_;
    quint64 nextTicket_ = 1;
    bool stopRequested_ = false;
    JudgeMode mode_ = JudgeMode::Person;
    RunTally tally_;
    QElapsedTimer clock_;
    bool clockStopped_ = false;
};
