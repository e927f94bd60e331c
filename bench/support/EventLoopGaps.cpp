#include "EventLoopGaps.h"

EventLoopGaps::EventLoopGaps(QObject* parent) : QObject(parent)
{
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    connect(&timer_, &QTimer::timeout, this, &EventLoopGaps::tick);
}

void EventLoopGaps::start()
{
    longest_ = 0;
    ticks_ = 0;
    clock_.start();
    last_ = clock_.nsecsElapsed();
    timer_.start();
}

void EventLoopGaps::stop()
{
    tick(); // a gap that lasts until the end counts too
    timer_.stop();
}

void EventLoopGaps::tick()
{
    const qint64 now = clock_.nsecsElapsed();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
    ++ticks_;
}
