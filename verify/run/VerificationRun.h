#pragma once

#include "BookmarkEntry.h"
#include "ContrastProbes.h"
#include "RunTally.h"
#include "RunWalk.h"
#include "SecondPass.h"
#include "Settings.h"
#include "TMyThread.h"
#include "Verdict.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

class BookmarkModel;
class BookmarkNode;

// One verification run: the walk's cursor lives here on the main thread, the
// probing on a TMyThread. The worker always has links waiting beyond those
// it may run at once, so its limits, not the hand-out, decide what runs.
// Results are judged, stored and repainted as they arrive. A first answer
// that may pass (a 503, a time-out, a refused connection) is stored as not
// sure for now and asked again once every link has had its first answer,
// no sooner than a few seconds after it and than its Retry-After; the
// second answer decides. What the run saw of the network goes into every
// judgement, and the links judged "no network?" are judged once more at the
// end, so a server that answered late still counts. A page that looks gone
// without saying so with its status waits for its site's answer to an
// address that cannot exist, asked once per site and pattern (a person's
// way only). A host that asks to slow down is waited for up to a budget in
// all; after that its links, made-up addresses included, get no request
// and are judged as the run ends, and the next run is to ask them first.
// Deleting nodes while the run walks them is safe: the cursor steps over a
// removed subtree, a waiting link of a removed node is taken back, and the
// result of a removed node's probe is dropped, in either pass.
class VerificationRun final : public QObject
{
    Q_OBJECT

public:
    static constexpr int SecondOpinionDelayMs = 5000;

    VerificationRun(BookmarkModel& tree, std::shared_ptr<const SharedProxySettings> settings,
                    std::unique_ptr<ProbeEngine> engine,
                    int linksAtOnce = Settings::DefaultLinksAtOnce, QObject* parent = nullptr);
    ~VerificationRun() override;

    // Before start(): how the answers are judged (a person's way by default).
    void setJudgeMode(JudgeMode mode);
    // Before start(): the least wait before a link is asked again, and the
    // pause of a host that asked to slow down without saying for how long.
    void setSecondOpinionDelay(int ms);

    // Before start(): how long the run waits for one host that asks it to
    // slow down, in all; once that is spent, the host gets no more requests.
    void setMaxHostWait(int seconds);

    // Before start(): only the links in the subtrees of tops (in tree order,
    // none below another) are checked, not the whole tree.
    void limitTo(std::vector<BookmarkNode*> tops);
    // Before start() and after limitTo(): these links, in tree order, are
    // asked before all others.
    void askFirst(const std::vector<BookmarkNode*>& links) { walk_.putFirst(links); }

    // Starts the worker and the walk from the first node. False when the
    // worker thread could not be started; the run is then over.
    bool start();
    // Starts no more probes, in either pass, and drops those in flight:
    // their links get no verdict, so what was kept of them stays. A link
    // that waited for its second opinion is left not sure on its first
    // answer, never dead. With the strict rule and one link at once, the
    // probe in flight still finishes and is stored, as the old design has it.
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
    // A verdict was counted, or the run went on to its second pass.
    void tallied(VerificationRun* run);
    // A link's verdict is final, with all that was found out. Sent once per
    // link: not for a first answer that is to be asked again, and for a link
    // judged "no network?" only at the end, once the run knows what it saw.
    void verdictStored(BookmarkNode* node, const LinkVerdict& verdict);

private:
    struct Pending
    {
        quint64 ticket;
        BookmarkNode* node; // null once removed from the tree
        QString link;       // as it is asked for
        QString host;       // ProbeHost(link)
        int attempt;
        ProbeResult firstAnswer; // of a link asked again
    };

    // A link of a host given up, judged as the run ends, when all of the
    // host's links are known.
    struct Limited
    {
        BookmarkNode* node;
        QString host;
        ProbeResult result; // empty when not asked
        int attempts;
        std::optional<Verdict> counted; // the provisional verdict it was counted under
    };

    // A link judged "no network?", which the end of the run judges again.
    struct Offline
    {
        BookmarkNode* node;
        ProbeResult result;
        int attempts;
        bool unsettled; // the run stopped before its second opinion
    };

    void handOutNext();
    void handOutFirstPass();
    void handOutSecondPass();
    void submit(BookmarkNode* node, const QString& link, const QString& host, int attempt,
                const ProbeResult& firstAnswer, qint64 notBefore);
    void onProbed(quint64 ticket, const ProbeResult& result);
    void onHostGivenUp(const QString& host);
    void settleLimitedLinks();
    void noteEvidence(const Pending& probed, const ProbeResult& result);
    void judge(const Pending& probed, const ProbeResult& result);
    // Whether the link's answer waits for, or was judged with, the answer
    // to a made-up address of its site.
    bool judgedWithContrast(const Pending& probed, const ProbeResult& result);
    // Judges the links that waited for a made-up address, with its answer
    // if it came.
    void judgeWaiting(const std::vector<ContrastProbes::Waiting>& links,
                      const std::optional<ProbeResult>& madeUp);
    void askAgainLater(const Pending& probed, const ProbeResult& result,
                       const Judgement& judgement);
    // Stores a verdict no later answer changes; counted stands for the
    // provisional verdict it replaces, if any. unsettled: the run stopped
    // before the second opinion it waited for.
    void settle(BookmarkNode* node, const LinkVerdict& verdict, std::optional<Verdict> counted,
                bool unsettled);
    void settleUnsettled(BookmarkNode* node, const ProbeResult& result, int attempts,
                         std::optional<Verdict> counted);
    void settleOfflineLinks();
    // The links taken from the second pass before their answer keep their first.
    void settleFirstAnswers(const std::vector<Pending>& askedAgain);
    void abandonTransfers();
    void finishWorker();
    // moved: the link is alive at a new address (isMoved) and gets its own lamp.
    void store(BookmarkNode* node, const Judgement& judgement, bool moved = false);
    bool isMoved(const BookmarkNode* node, const LinkVerdict& verdict) const;
    void stopClock();
    // The links of the walk inside within (all for null) that hold no verdict yet.
    int uncheckedLinks(BookmarkNode* within) const;
    void onNodeAboutToBeRemoved(BookmarkNode* node);
    void onWorkerFinished();
    void takeBackWaitingLinks();

    BookmarkModel& tree_;
    std::unique_ptr<TMyThread> worker_;
    RunWalk walk_;
    std::deque<Pending> pending_; // handed to the worker, oldest first
    SecondPass again_{SecondOpinionDelayMs};
    ContrastProbes contrast_;
    std::vector<Offline> offline_; // judged "no network?" so far
    QSet<QString> givenUp_;        // hosts whose waits are used up
    std::vector<Limited> limited_;
    QHash<QString, int> answeredLinks_; // per host: links judged on an answer of their own
    int linksAtOnce_;
    size_t linksAhead_;
    quint64 nextTicket_ = 1;
    bool stopRequested_ = false;
    bool aborted_ = false;
    bool settled_ = false; // the offline links have had their last judgement
    JudgeMode mode_ = JudgeMode::Person;
    NetworkEvidence evidence_;
    RunTally tally_;
    QElapsedTimer clock_;
    bool clockStopped_ = false;
};
