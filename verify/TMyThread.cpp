#include "TMyThread.h"

#include <QMutexLocker>
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
    QMutexLocker lock(&mutex_);
    job_ = Job{link, proxy};
    wake_.wakeOne();
}

void TMyThread::finish()
{
    QMutexLocker lock(&mutex_);
    finishing_ = true;
    wake_.wakeOne();
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
            QMutexLocker lock(&mutex_);
            while (!job_ && !finishing_)
                wake_.wait(&mutex_);
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
