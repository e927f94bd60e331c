#include "VerificationRun.h"

#include "BookmarkModel.h"

#include <utility>

VerificationRun::VerificationRun(BookmarkModel& tree, SettingsSource settings, ProbeFunction probe,
                                 QObject* parent)
    : QObject(parent), tree_(tree), settings_(std::move(settings)),
      worker_(std::make_unique<TMyThread>(std::move(probe)))
{
    connect(worker_.get(), &TMyThread::probed, this, &VerificationRun::onProbed,
            Qt::QueuedConnection);
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
    if (!probing_)
        worker_->finish();
}

void VerificationRun::abort()
{
    stopRequested_ = true;
    cursor_ = nullptr;
    inFlight_ = nullptr;
    // The cancelled probe's verdict says nothing about the link; drop it.
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
    while (cursor_ && !stopRequested_) {
        BookmarkNode* node = cursor_;
        cursor_ = tree_.nextNode(node);
        BookmarkEntry* entry = BookmarkModel::entry(node);
        if (entry && !entry->IsFolder) {
            inFlight_ = node;
            probing_ = true;
            // The settings of this moment: a change in the Options dialog
            // applies from the next probe on.
            worker_->submit(entry->Link, settings_());
            return;
        }
        tree_.repaintNode(node);
    }
    worker_->finish();
}

void VerificationRun::onProbed(bool alive)
{
    probing_ = false;
    if (BookmarkEntry* entry = BookmarkModel::entry(inFlight_)) {
        entry->Status = alive ? StatusAlive : StatusDead;
        tree_.repaintNode(inFlight_);
    }
    inFlight_ = nullptr;
    if (stopRequested_) {
        worker_->finish();
        return;
    }
    handOutNext();
}

void VerificationRun::onNodeAboutToBeRemoved(BookmarkNode* node)
{
    if (inFlight_ && BookmarkModel::isInSubtree(inFlight_, node))
        inFlight_ = nullptr;
    if (cursor_ && BookmarkModel::isInSubtree(cursor_, node))
        cursor_ = tree_.nextNodeAfterSubtree(node);
}

void VerificationRun::onWorkerFinished()
{
    emit ended(this);
}
