#pragma once

#include "ProbeEngine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <set>

// Pumps the event loop until cond holds; false if it never does.
inline bool WaitUntil(const std::function<bool()>& cond, int boundMs = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > boundMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // deleteLater() outside a running event loop waits for this.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return true;
}

// An HTTP answer as a fake probe gives it: 200 OK or 404 Not Found.
inline ProbeResult AnsweredVerdict(bool alive)
{
    ProbeResult result;
    result.outcome = ProbeOutcome::Answered;
    result.statusCode = alive ? 200 : 404;
    result.alive = alive;
    return result;
}

// Probes that the test answers by hand: every engine made by Wrap() starts
// its transfers here, and release(n) finishes the n oldest in flight (a
// release given ahead is kept for a transfer yet to start). Records what it
// was asked, with the proxy settings of each start.
class GatedProbe
{
public:
    using Answer = std::function<bool(const QString& link)>;
    // The whole verdict, for tests of what a run does with its reason.
    using Verdict = std::function<ProbeResult(const QString& link)>;

    explicit GatedProbe(Answer answer = {}, int released = 0)
        : GatedProbe(verdictOf(std::move(answer)), released)
    {
    }
    GatedProbe(Verdict verdict, int released) : verdict_(std::move(verdict)), released_(released) {}

    void start(const void* engine, quint64 ticket, const QString& link, const ProxySettings& proxy,
               bool readPage)
    {
        std::lock_guard lock(mutex_);
        asked_.push_back(link);
        proxies_.push_back(proxy);
        readPages_.push_back(readPage);
        inFlight_.push_back({engine, ticket, link});
        settle();
    }
    std::vector<FinishedProbe> takeFinished(const void* engine, int longestWaitMs)
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(longestWaitMs),
                          [&] { return hasDone(engine) || woken_.count(engine); });
        woken_.erase(engine);
        std::vector<FinishedProbe> finished;
        for (auto it = done_.begin(); it != done_.end();) {
            if (it->engine != engine) {
                ++it;
                continue;
            }
            finished.push_back({it->ticket, verdict_(it->link)});
            it = done_.erase(it);
        }
        return finished;
    }
    void wake(const void* engine)
    {
        std::lock_guard lock(mutex_);
        woken_.insert(engine);
        changed_.notify_all();
    }
    void cancelAll(const void* engine)
    {
        std::lock_guard lock(mutex_);
        const auto ofEngine = [engine](const Transfer& t) { return t.engine == engine; };
        inFlight_.erase(std::remove_if(inFlight_.begin(), inFlight_.end(), ofEngine),
                        inFlight_.end());
        done_.erase(std::remove_if(done_.begin(), done_.end(), ofEngine), done_.end());
    }

    void release(int count = 1)
    {
        std::lock_guard lock(mutex_);
        released_ += count;
        settle();
    }
    // Some transfer has started and not been released.
    bool waiting() { return inFlight() > 0; }
    int inFlight()
    {
        std::lock_guard lock(mutex_);
        return int(inFlight_.size());
    }
    QStringList asked()
    {
        std::lock_guard lock(mutex_);
        return asked_;
    }
    QList<ProxySettings> proxies()
    {
        std::lock_guard lock(mutex_);
        return proxies_;
    }
    // Whether each start was told to read the page.
    QList<bool> readPages()
    {
        std::lock_guard lock(mutex_);
        return readPages_;
    }

private:
    struct Transfer
    {
        const void* engine;
        quint64 ticket;
        QString link;
    };

    void settle()
    {
        while (released_ > 0 && !inFlight_.empty()) {
            done_.push_back(inFlight_.front());
            inFlight_.pop_front();
            if (released_ != INT_MAX)
                --released_;
        }
        changed_.notify_all();
    }
    bool hasDone(const void* engine) const
    {
        return std::any_of(done_.begin(), done_.end(),
                           [engine](const Transfer& t) { return t.engine == engine; });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    static Verdict verdictOf(Answer answer)
    {
        if (!answer)
            answer = [](const QString& link) { return link.startsWith("alive"); };
        return [answer](const QString& link) { return AnsweredVerdict(answer(link)); };
    }

    Verdict verdict_;
    QStringList asked_;
    QList<ProxySettings> proxies_;
    QList<bool> readPages_;
    std::deque<Transfer> inFlight_;
    std::deque<Transfer> done_;
    std::set<const void*> woken_;
    int released_;
};

// One run's engine on a shared gate.
class GatedEngine final : public ProbeEngine
{
public:
    explicit GatedEngine(std::shared_ptr<GatedProbe> gate) : gate_(std::move(gate)) {}
    ~GatedEngine() override { gate_->cancelAll(this); }

    void start(quint64 ticket, const QString& link, const ProxySettings& proxy,
               bool readPage) override
    {
        gate_->start(this, ticket, link, proxy, readPage);
    }
    std::vector<FinishedProbe> takeFinished(int longestWaitMs) override
    {
        return gate_->takeFinished(this, longestWaitMs);
    }
    void wake() override { gate_->wake(this); }
    void cancelAll() override { gate_->cancelAll(this); }

private:
    std::shared_ptr<GatedProbe> gate_;
};

// Engines on a gate that the test keeps and releases.
inline ProbeEngineFactory Wrap(GatedProbe& gate)
{
    const std::shared_ptr<GatedProbe> unowned(std::shared_ptr<GatedProbe>{}, &gate);
    return [unowned] { return std::make_unique<GatedEngine>(unowned); };
}

// Engines that answer every link as soon as it starts.
inline ProbeEngineFactory Answering(GatedProbe::Answer answer)
{
    const auto gate = std::make_shared<GatedProbe>(std::move(answer), INT_MAX);
    return [gate] { return std::make_unique<GatedEngine>(gate); };
}

// The same, with the whole verdict of each link.
inline ProbeEngineFactory Judging(GatedProbe::Verdict verdict)
{
    const auto gate = std::make_shared<GatedProbe>(std::move(verdict), INT_MAX);
    return [gate] { return std::make_unique<GatedEngine>(gate); };
}
