#pragma once

#include "ProxySettings.h"

#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

// The probe a worker runs for one link; the flag aborts a transfer in flight.
using ProbeFunction =
    std::function<bool(const QString& link, const ProxySettings& proxy, const std::atomic_bool* cancel)>;

// The worker of a verification run. It owns nothing of the tree: the
// controller hands it one link and the proxy settings as values, and it hands
// back one verdict (the probed signal, delivered queued to the controller).
class TMyThread final : public QThread
{
    Q_OBJECT

public:
    explicit TMyThread(ProbeFunction probe, QObject* parent = nullptr);
    ~TMyThread() override;

    // Main thread. At most one probe is outstanding at a time.
    void submit(const QString& link, const ProxySettings& proxy);
    // No more probes: run() returns once the one in flight is answered.
    void finish();
    // As finish(), and the transfer in flight is cancelled at once.
    void abort();

signals:
    void probed(bool alive);

protected:
    void run() override;

private:
    struct Job
    {
        QString link;
        ProxySettings proxy;
    };

    ProbeFunction probe_;
    // Standard rather than Qt primitives: ThreadSanitizer sees inside these,
    // while QWaitCondition releases its mutex where the checker cannot look
    // and every hand-over would be reported as a race.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Job> job_;
    bool finishing_ = false;
    std::atomic_bool cancel_{false};
};
