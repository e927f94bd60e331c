#include "VerificationRun.h"

#include "BookmarkModel.h"

#include <QTimer>
#include <algorithm>
#include <utility>

namespace {

// Enough waiting links that a host at its limit never leaves the worker short
// of others to start, and that it never waits for the main thread: verdicts,
// and with them new links, come in batches up to 20 ms apart, and 256 links
// last that long even at over 10,000 answers a second.
size_t linksAheadFor(int linksAtOnce)
{
    return size_t(std::max(4 * linksAtOnce, 256));
}

} // namespace

VerificationRun::VerificationRun(BookmarkModel& tree,
                                 std::shared_ptr<const SharedProxySettings> settings,
                                 std::unique_ptr<ProbeEngine> engine, int linksAtOnce,
                                 QObject* parent)
    : QObject(parent), tree_(tree),
      worker_(std::make_unique<TMyThread>(std::move(engine), std::move(settings), linksAtOnce)),
      linksAhead_(linksAheadFor(linksAtOnce))
{
    // Delivered on this thread; the worker is told to finish only once every
    // verdict has been delivered, so a direct call keeps them ahead of ended().
    connect(worker_.get(), &TMyThread::probed, this, &VerificationRun::onProbed);
    connect(worker_.get(), &QThread::finished, this, &VerificationRun::onWorkerFinished,
            Qt::QueuedConnection);
    connect(&tree_, &BookmarkModel::nodeAboutToBeRemoved, this,
            &VerificationRun::onNodeAboutToBeRemoved);
}

VerificationRun::~VerificationRun()
{
    abort();
}

void VerificationRun::setWorkerStackSize(uint bytes)
{
    worker_->setStackSize(bytes);
}

void VerificationRun::setJudgeMode(JudgeMode mode)
{
    mode_ = mode;
    worker_->setReadsPages(mode == JudgeMode::Person);
}

bool VerificationRun::start()
{
    worker_->start();
    if (!worker_->isRunning())
        return false;
    clock_.start();
    cursor_ = tree_.firstNode();
    tally_.links = uncheckedLinks(cursor_, nullptr);
    handOutNext();
    return true;
}

void VerificationRun::stop()
{
    stopClock();
    stopRequested_ = true;
    cursor_ = nullptr;
    takeBackWaitingLinks();
    if (pending_.empty())
        worker_->finish();
}

void VerificationRun::abort()
{
    stopClock();
    stopRequested_ = true;
    cursor_ = nullptr;
    pending_.clear();
    // A cancelled probe's verdict says nothing about the link; drop it.
    disconnect(worker_.get(), &TMyThread::probed, this, nullptr);
    worker_->abort();
    worker_->wait();
}

bool VerificationRun::isWorkerRunning() const
{
    return worker_->isRunning();
}

void VerificationRun::handOutNext()
{
    while (cursor_ && !stopRequested_ && pending_.size() < linksAhead_) {
        BookmarkNode* node = cursor_;
        cursor_ = tree_.nextNode(node);
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        if (entry && !entry->IsFolder) {
            pending_.push_back({nextTicket_++, node});
            worker_->submit(pending_.back().ticket, entry->Link);
        }
    }
    if (pending_.empty())
        worker_->finish();
}

RunTally VerificationRun::tally() const
{
    RunTally now = tally_;
    if (!clockStopped_ && clock_.isValid())
        now.elapsedMs = clock_.elapsed();
    return now;
}

void VerificationRun::stopClock()
{
    if (clockStopped_)
        return;
    tally_.elapsedMs = clock_.isValid() ? clock_.elapsed() : 0;
    clockStopped_ = true;
}

// Links from first up to end (in pre-order) that hold no verdict yet. A run
// begins on a reset tree, so these are the ones it has still to check, those
// in flight included.
int VerificationRun::uncheckedLinks(BookmarkNode* first, const BookmarkNode* end) const
{
    int links = 0;
    for (BookmarkNode* node = first; node && node != end; node = tree_.nextNode(node)) {
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        links += entry && !entry->IsFolder && entry->Status == StatusUnverified;
    }
    return links;
}

void VerificationRun::onProbed(quint64 ticket, const ProbeResult& result)
{
    const auto it = std::find_if(pending_.begin(), pending_.end(),
                                 [ticket](const Pending& p) { return p.ticket == ticket; });
    if (it == pending_.end())
        return;
    BookmarkNode* node = it->node;
    pending_.erase(it);
    if (node && VerdictOf(result) == ProbeVerdict::Unchecked) {
        // A link whose probe could not be made stays as unverified as it was
        // and is not counted as checked.
        emit verdictStored(node, result);
    } else if (node) {
        tree_.setStatus(node, result.alive ? StatusAlive : StatusDead, ProbeVerdictText(result));
        emit verdictStored(node, result);
        count(result);
    }
    handOutNext();
}

void VerificationRun::count(const ProbeResult& result)
{
    ++tally_.checked;
    tally_.dead += !result.alive;
    tally_.answered += result.outcome == ProbeOutcome::Answered;
    emit tallied(this);
}

void VerificationRun::onNodeAboutToBeRemoved(BookmarkNode* node)
{
    // Links deleted before their verdict will never be checked.
    tally_.links -= uncheckedLinks(node, tree_.nextNodeAfterSubtree(node));
    bool tookBack = false;
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->node && BookmarkModel::isInSubtree(it->node, node)) {
            // A link still waiting is taken back; one being probed is forgotten.
            if (worker_->revoke(it->ticket)) {
                it = pending_.erase(it);
                tookBack = true;
                continue;
            }
            it->node = nullptr;
        }
        ++it;
    }
    if (cursor_ && BookmarkModel::isInSubtree(cursor_, node))
        cursor_ = tree_.nextNodeAfterSubtree(node);
    // Hand out again once the deletion is over, not while the tree is
    // half-way through it.
    if (tookBack)
        QTimer::singleShot(0, this, &VerificationRun::handOutNext);
}

void VerificationRun::takeBackWaitingLinks()
{
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (worker_->revoke(it->ticket))
            it = pending_.erase(it);
        else
            ++it;
    }
}

void VerificationRun::onWorkerFinished()
{
    stopClock();
    emit ended(this);
}
