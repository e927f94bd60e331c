#pragma once

#include <QObject>
#include <QSocketNotifier>

// SIGINT, SIGTERM and SIGHUP as a Qt signal on the thread that made the
// object, so that a run stops the way Stop stops it and keeps what it
// judged. The handler only writes the number down a pipe; a second signal
// ends the program at once, with the status a shell gives a process the
// signal killed. One at a time; a signal ignored when the program started
// (nohup, a background job) stays ignored. Going, it puts the earlier
// dispositions back.
class StopSignals final : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The number of the first signal that came, also one not yet passed on
    // by arrived() (the event loop over); 0 while none has.
    int received() const;

    // 128 plus the signal's number: what a shell reports for it.
    static int exitStatusOf(int signalNumber) { return 128 + signalNumber; }

signals:
    void arrived(int signalNumber);

private:
    void readPipe();

    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    bool passedOn_ = false;
};
