#include "VerificationRun.h"

#include "BookmarkModel.h"

#include <QTimer>
#include <algorithm>
#include <utility>

namespace {

// Enough waiting links that a host at its limit never leaves the worker short
// of others to start, and that it never waits for the main thread.
size_t linksAheadFor(int linksAtOnce)
{
    return size_t(std::max(4 * linksAtOnce, 2));
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
    // Delivered on this thread before the worker's end is, so a direct call
    // keeps every verdict ahead of ended().
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

bool VerificationRun::start()
{
    worker_->start();
    if (!worker_->isRunning())
        return false;
    cursor_ = tree_.firstNode();
    handOutNext();
    return true;
}

void VerificationRun::stop()
{
    stopRequested_ = true;
    cursor_ = nullptr;
    takeBackWaitingLinks();
    if (pending_.empty())
        worker_->finish();
}

void VerificationRun::abort()
{
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

void VerificationRun::onProbed(quint64 ticket, const ProbeResult& result)
{
    const auto it = std::find_if(pending_.begin(), pending_.end(),
                                 [ticket](const Pending& p) { return p.ticket == ticket; });
    if (it == pending_.end())
        return;
    tree_.setStatus(it->node, result.alive ? StatusAlive : StatusDead);
    pending_.erase(it);
    handOutNext();
}

void VerificationRun::onNodeAboutToBeRemoved(BookmarkNode* node)
{
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
    emit ended(this);
}
