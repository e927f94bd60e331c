#include "TMyThread.h"

#include <algorithm>
#include <utility>

TMyThread::TMyThread(ProbeFunction probe, std::shared_ptr<const SharedProxySettings> settings,
                     QObject* parent)
    : QThread(parent), probe_(std::move(probe)), settings_(std::move(settings))
{
    // The verdict crosses to the main thread by value in a queued call.
    qRegisterMetaType<ProbeResult>();
}

TMyThread::~TMyThread()
{
    // Never leave a running thread behind an object that is going away.
    abort();
    wait();
}

void TMyThread::submit(quint64 ticket, const QString& link)
{
    const std::lock_guard lock(mutex_);
    jobs_.push_back(Job{ticket, link});
    wake_.notify_one();
}

bool TMyThread::revoke(quint64 ticket)
{
    const std::lock_guard lock(mutex_);
    const auto it = std::find_if(jobs_.begin(), jobs_.end(),
                                 [ticket](const Job& job) { return job.ticket == ticket; });
    if (it == jobs_.end())
        return false;
    jobs_.erase(it);
    return true;
}

void TMyThread::finish()
{
    const std::lock_guard lock(mutex_);
    finishing_ = true;
    wake_.notify_one();
}

void TMyThread::abort()
{
    {
        const std::lock_guard lock(mutex_);
        jobs_.clear();
    }
    cancel_ = true;
    finish();
}

void TMyThread::run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return !jobs_.empty() || finishing_; });
            // Links handed over before a plain finish() are still answered,
            // so a stopped run shows the result of the probe it had begun.
            if (jobs_.empty() || cancel_)
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        emit probed(job.ticket, probe_(job.link, settings_->get(), &cancel_));
    }
}
