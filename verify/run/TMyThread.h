#pragma once

#include "ProbeEngine.h"
#include "ProbeSchedule.h"
#include "SharedProxySettings.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>
#include <mutex>

// The worker of a verification run. It owns nothing of the tree: the
// controller hands it links as values, each with a ticket, and it hands back
// one verdict per ticket (the probed signal, emitted on the thread the
// worker object belongs to, so a verdict is never read where it was not
// handed over under a lock the checkers see). Several
// probes run at once on its one engine, within the limits of a ProbeSchedule
// (no more than the descriptors free when it is made can hold); the proxy
// settings are read as each probe starts. A probe that could get no
// descriptor is started again later rather than judged. A host that answers
// 429, or 503 with a Retry-After, gets no further probe until the pause it
// asked for is over, as long as its pauses stay within the budget of a host;
// a host that asks for more is given up, and its waiting links wait to be
// taken back.
class TMyThread final : public QThread
{
    Q_OBJECT

public:
    TMyThread(std::unique_ptr<ProbeEngine> engine,
              std::shared_ptr<const SharedProxySettings> settings, int linksAtOnce,
              QObject* parent = nullptr);
    ~TMyThread() override;

    // Before start(): whether final HTML answers are read on (see ProbeEngine).
    void setReadsPages(bool readPages) { readPages_ = readPages; }
    // Before start(): the pause of a host that answered 429 without a Retry-After.
    void setSlowDownPause(int ms) { slowDownPauseMs_ = ms; }
    // Before start(): whether a host that asked for a pause gets it (the default).
    void setHoldsHosts(bool holdsHosts) { holdsHosts_ = holdsHosts; }
    // Before start(): how long one host's pauses may last in all.
    void setHostWaitBudget(qint64 ms) { schedule_.setHostWaitBudget(ms); }

    // Main thread: the host whose links wait longest for its pause to end.
    std::optional<ProbeSchedule::HostHold> hostHold();

    // Main thread. Links start in the order submitted, as the limits allow,
    // none before notBefore (see SteadyClockMs). host: ProbeHost(link).
    void submit(quint64 ticket, const QString& link, const QString& host, qint64 notBefore = 0);
    // Takes back a link whose probe has not begun; false once it has.
    bool revoke(quint64 ticket);
    // No more links: run() returns once those handed over are answered.
    void finish();
    // Ends at once: waiting links are dropped and the transfers in flight
    // are cancelled.
    void abort();
    // The same, giving the answers that had come but were not yet delivered.
    std::vector<FinishedProbe> cancel();

signals:
    void probed(quint64 ticket, const ProbeResult& result);
    // The host's pauses have used up their budget: no link of it starts any
    // more. Sent ahead of the answer that asked for more.
    void hostGivenUp(const QString& host);

protected:
    void run() override;

private:
    void startWaitingLinks();
    // How long the engine may wait for an answer before a waiting link is due.
    int longestWait();
    void post(std::vector<FinishedProbe> finished);
    // How long the host of a probe that gave result asked to be left alone.
    qint64 hostPause(const ProbeResult& result) const;
    // Verdicts reach the main thread in batches, 50 a second at most.
    void scheduleDelivery();
    void deliverResults();
    bool isDone();

    std::unique_ptr<ProbeEngine> engine_;
    std::shared_ptr<const SharedProxySettings> settings_;
    // Standard rather than Qt primitives: ThreadSanitizer sees inside these.
    std::mutex mutex_;
    ProbeSchedule schedule_;
    std::vector<FinishedProbe> outbox_; // answered, not yet delivered
    std::vector<QString> givenUp_;      // hosts given up, not yet told
    bool finishing_ = false;
    bool readPages_ = false;
    bool holdsHosts_ = true;
    int slowDownPauseMs_ = 5000;
    std::atomic_bool cancel_{false};
    // Main thread only.
    QTimer deliveryTimer_;
    QElapsedTimer lastDelivery_;
};
