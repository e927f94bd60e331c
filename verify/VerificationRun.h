#pragma once

#include "TMyThread.h"

#include <QObject>
#include <functional>
#include <memory>

class BookmarkModel;
class BookmarkNode;

// One verification run: the walk's cursor lives here on the main thread, the
// probing on a TMyThread. Results are stored and repainted as they arrive.
// Deleting nodes while the run walks them is safe: the cursor steps over a
// removed subtree and a result for a removed node is dropped.
class VerificationRun final : public QObject
{
    Q_OBJECT

public:
    using SettingsSource = std::function<ProxySettings()>;

    VerificationRun(BookmarkModel& tree, SettingsSource settings, ProbeFunction probe,
                    QObject* parent = nullptr);
    ~VerificationRun() override;

    // Starts the worker and the walk from the first node. False when the
    // worker thread could not be started; the run is then over.
    bool start();
    // Stops after the probe in flight; its result is still stored.
    void stop();
    // Stops at once: the transfer in flight is cancelled and the worker joined.
    void abort();

    bool isWorkerRunning() const;
    // Lets tests make the worker's creation fail (a stack below the system minimum).
    void setWorkerStackSize(uint bytes);
    // The node whose probe is in flight, if any (for tests).
    BookmarkNode* nodeInFlight() const { return inFlight_; }

signals:
    // The worker has ended (walk done, stopped, or aborted).
    void ended(VerificationRun* run);

private:
    void handOutNext();
    void onProbed(bool alive);
    void onNodeAboutToBeRemoved(BookmarkNode* node);
    void onWorkerFinished();

    BookmarkModel& tree_;
    SettingsSource settings_;
    std::unique_ptr<TMyThread> worker_;
    BookmarkNode* cursor_ = nullptr;   // next node to look at
    BookmarkNode* inFlight_ = nullptr; // link being probed; null once forgotten
    bool probing_ = false;
    bool stopRequested_ = false;
};
