#pragma once

#include "TMyThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

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

// A probe the test releases one call at a time, recording what it was asked.
class GatedProbe
{
public:
    ProbeResult operator()(const QString& link, const ProxySettings& proxy,
                           const std::atomic_bool* cancel)
    {
        std::unique_lock lock(mutex_);
        asked_.push_back(link);
        proxies_.push_back(proxy);
        waiting_ = true;
        changed_.notify_all();
        // Polls the cancel flag as a real transfer's progress callback would.
        while (released_ == 0 && !(cancel && *cancel))
            changed_.wait_for(lock, std::chrono::milliseconds(5));
        waiting_ = false;
        if (released_ > 0)
            --released_;
        return AnsweredVerdict(link.startsWith("alive"));
    }
    void release(int count = 1)
    {
        std::lock_guard lock(mutex_);
        released_ += count;
        changed_.notify_all();
    }
    bool waiting()
    {
        std::lock_guard lock(mutex_);
        return waiting_;
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

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    QStringList asked_;
    QList<ProxySettings> proxies_;
    int released_ = 0;
    bool waiting_ = false;
};

inline ProbeFunction Wrap(GatedProbe& probe)
{
    return [&probe](const QString& l, const ProxySettings& p, const std::atomic_bool* c) {
        return probe(l, p, c);
    };
}
