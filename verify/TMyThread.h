#pragma once

#include "ProbeResult.h"
#include "SharedProxySettings.h"

#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// The probe a worker runs for one link; the flag aborts a transfer in flight.
using ProbeFunction = std::function<ProbeResult(const QString& link, const ProxySettings& proxy,
                                                const std::atomic_bool* cancel)>;

// The worker of a verification run. It owns nothing of the tree: the
// controller hands it links as values, each with a ticket, and it hands back
// one verdict per ticket (the probed signal, delivered queued). The proxy
// settings are read when each probe begins.
class TMyThread final : public QThread
{
    Q_OBJECT

public:
    TMyThread(ProbeFunction probe, std::shared_ptr<const SharedProxySettings> settings,
              QObject* parent = nullptr);
    ~TMyThread() override;

    // Main thread. Links are probed one at a time, in the order submitted.
    void submit(quint64 ticket, const QString& link);
    // Takes back a link whose probe has not begun; false once it has.
    bool revoke(quint64 ticket);
    // No more links: run() returns once those handed over are answered.
    void finish();
    // Ends at once: waiting links are dropped and the transfer in flight is
    // cancelled.
    void abort();

signals:
    void probed(quint64 ticket, const ProbeResult& result);

protected:
    void run() override;

private:
    struct Job
    {
        quint64 ticket = 0;
        QString link;
    };

    ProbeFunction probe_;
    std::shared_ptr<const SharedProxySettings> settings_;
    // Standard rather than Qt primitives: ThreadSanitizer sees inside these,
    // while QWaitCondition releases its mutex where the checker cannot look
    // and every hand-over would be reported as a race.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool finishing_ = false;
    std::atomic_bool cancel_{false};
};
