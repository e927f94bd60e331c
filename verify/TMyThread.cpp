#include "TMyThread.h"

#include <utility>

TMyThread::TMyThread(ProbeFunction probe, QObject* parent)
    : QThread(parent), probe_(std::move(probe))
{
}

TMyThread::~TMyThread()
{
    // Never leave a running thread behind an object that is going away.
    abort();
    wait();
}

void TMyThread::submit(const QString& link, const ProxySettings& proxy)
{
    const std::lock_guard lock(mutex_);
    job_ = Job{link, proxy};
    wake_.notify_one();
}

void TMyThread::finish()
{
    const std::lock_guard lock(mutex_);
    finishing_ = true;
    wake_.notify_one();
}

void TMyThread::abort()
{
    cancel_ = true;
    finish();
}

void TMyThread::run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return job_ || finishing_; });
            // A job handed over before a plain finish() is still answered, so
            // a stopped run shows the result of the probe it had begun.
            if (!job_ || cancel_)
                return;
            job = std::move(*job_);
            job_.reset();
        }
        const bool alive = probe_(job.link, job.proxy, &cancel_);
        emit probed(alive);
    }
}
