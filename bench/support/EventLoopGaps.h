#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Measures how long the event loop of the thread it lives on goes without
// coming round: a precise timer asks to run every millisecond, and the
// longest time between two of its runs is what a user would feel as a
// frozen window.
class EventLoopGaps final : public QObject
{
public:
    explicit EventLoopGaps(QObject* parent = nullptr);

    void start();
    void stop();
    double longestGapSeconds() const { return longest_ / 1e9; }
    int ticks() const { return ticks_; }

private:
    void tick();

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    int ticks_ = 0;
};
