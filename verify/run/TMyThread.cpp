#include "TMyThread.h"

#include "ProcessFiles.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// Each delivery repaints the rows it changed; a view repainted for every one
// of thousands of verdicts a second takes the processor from the probes,
// while a lamp that lights 20 ms late looks no different.
const qint64 DeliveryIntervalMs = 20;

} // namespace

TMyThread::TMyThread(std::unique_ptr<ProbeEngine> engine,
                     std::shared_ptr<const SharedProxySettings> settings, int linksAtOnce,
                     QObject* parent)
    : QThread(parent), engine_(std::move(engine)), settings_(std::move(settings)),
      schedule_(LinksAtOnceWithin(linksAtOnce, FreeFileDescriptors()))
{
    qRegisterMetaType<ProbeResult>();
    deliveryTimer_.setSingleShot(true);
    connect(&deliveryTimer_, &QTimer::timeout, this, &TMyThread::deliverResults);
}

TMyThread::~TMyThread()
{
    // Never leave a running thread behind an object that is going away.
    abort();
    wait();
    // Qt's join is hidden from ThreadSanitizer; taking the lock that the end
    // of run() released shows that the engine's last use came before this.
    const std::lock_guard lock(mutex_);
    engine_.reset();
}

void TMyThread::submit(quint64 ticket, const QString& link, const QString& host, qint64 notBefore)
{
    ProbeSchedule::Link waiting{ticket, link, host, notBefore};
    bool slotFree = false;
    {
        const std::lock_guard lock(mutex_);
        schedule_.add(std::move(waiting));
        slotFree = !schedule_.isFull();
    }
    // With every slot taken the worker looks at the waiting links anyway as
    // soon as a transfer ends; waking it would only cost a turn of its loop.
    if (slotFree)
        engine_->wake();
}

bool TMyThread::revoke(quint64 ticket)
{
    const std::lock_guard lock(mutex_);
    return schedule_.remove(ticket);
}

void TMyThread::finish()
{
    {
        const std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    engine_->wake();
}

void TMyThread::abort()
{
    cancel();
}

std::vector<FinishedProbe> TMyThread::cancel()
{
    std::vector<FinishedProbe> answered;
    {
        // Under the lock, so no answer reaches the outbox after it was emptied.
        const std::lock_guard lock(mutex_);
        cancel_ = true;
        schedule_.clearWaiting();
        answered.swap(outbox_);
        finishing_ = true;
    }
    engine_->wake();
    return answered;
}

void TMyThread::run()
{
    // Links handed over before a plain finish() are still answered, so a
    // stopped run shows the results of the probes it had begun.
    while (!cancel_ && !isDone()) {
        startWaitingLinks();
        // A transfer handed to the engine as the run was cancelled never
        // gets to send its request.
        if (cancel_)
            break;
        post(engine_->takeFinished(longestWait()));
    }
    const std::lock_guard lock(mutex_);
    engine_->cancelAll();
}

void TMyThread::post(std::vector<FinishedProbe> finished)
{
    if (finished.empty())
        return;
    bool firstWaiting = false;
    {
        const std::lock_guard lock(mutex_);
        if (cancel_)
            return;
        const bool wasEmpty = outbox_.empty();
        const qint64 now = SteadyClockMs();
        for (FinishedProbe& done : finished) {
            // A probe that got no descriptor says nothing of its link.
            if (done.result.outcome == ProbeOutcome::OutOfFiles &&
                schedule_.retryLater(done.ticket))
                continue;
            if (const qint64 pause = hostPause(done.result)) {
                if (QString host = schedule_.holdHostOf(done.ticket, now + pause); !host.isEmpty())
                    givenUp_.push_back(std::move(host));
            }
            schedule_.finished(done.ticket);
            outbox_.push_back(std::move(done));
        }
        firstWaiting = wasEmpty && !outbox_.empty();
    }
    // One delivery takes all that gathered meanwhile.
    if (firstWaiting)
        QMetaObject::invokeMethod(this, &TMyThread::scheduleDelivery, Qt::QueuedConnection);
}

void TMyThread::scheduleDelivery()
{
    const qint64 since = lastDelivery_.isValid() ? lastDelivery_.elapsed() : DeliveryIntervalMs;
    if (since >= DeliveryIntervalMs)
        deliverResults();
    else
        deliveryTimer_.start(int(DeliveryIntervalMs - since));
}

void TMyThread::deliverResults()
{
    deliveryTimer_.stop();
    lastDelivery_.start();
    std::vector<FinishedProbe> delivered;
    std::vector<QString> givenUp;
    {
        const std::lock_guard lock(mutex_);
        delivered.swap(outbox_);
        givenUp.swap(givenUp_);
    }
    for (const QString& host : givenUp)
        emit hostGivenUp(host);
    for (const FinishedProbe& done : delivered)
        emit probed(done.ticket, done.result);
}

void TMyThread::startWaitingLinks()
{
    for (;;) {
        std::optional<ProbeSchedule::Link> next;
        {
            const std::lock_guard lock(mutex_);
            if (!cancel_)
                next = schedule_.startNext();
        }
        if (!next)
            return;
        // Unlocked: the main thread may take back other waiting links meanwhile.
        engine_->start(next->ticket, next->link, settings_->get(), readPages_);
    }
}

int TMyThread::longestWait()
{
    std::optional<qint64> due;
    {
        const std::lock_guard lock(mutex_);
        due = schedule_.nextDue();
    }
    if (!due)
        return std::numeric_limits<int>::max();
    return int(std::clamp<qint64>(*due - SteadyClockMs(), 0, std::numeric_limits<int>::max()));
}

qint64 TMyThread::hostPause(const ProbeResult& result) const
{
    if (!holdsHosts_ || result.outcome != ProbeOutcome::Answered)
        return 0;
    const qint64 asked = qint64(result.retryAfterSeconds) * 1000;
    if (result.statusCode == 429)
        return result.retryAfterSeconds >= 0 ? asked : slowDownPauseMs_;
    return result.statusCode == 503 && result.retryAfterSeconds >= 0 ? asked : 0;
}

std::optional<ProbeSchedule::HostHold> TMyThread::hostHold()
{
    const std::lock_guard lock(mutex_);
    return schedule_.longestHold();
}

bool TMyThread::isDone()
{
    const std::lock_guard lock(mutex_);
    return finishing_ && !schedule_.hasWaiting() && schedule_.running() == 0;
}
