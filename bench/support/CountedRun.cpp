#include "CountedRun.h"

#include "EventLoopGaps.h"
#include "VerificationRun.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <chrono>
#include <thread>

CountedRun RunForLinks(BookmarkModel& tree, const ProbeFunction& probe, int links)
{
    std::atomic_int probed{0};
    std::atomic_bool stopped{false};
    VerificationRun* current = nullptr;
    const ProbeFunction counted = [&](const QString& link, const ProxySettings& proxy,
                                      const std::atomic_bool* cancel) {
        ProbeResult result = probe(link, proxy, cancel);
        if (++probed == links) {
            // Stop before answering, while the next link still waits with the
            // worker: the run takes it back, so exactly this many are probed
            // and this answer is stored as the last one.
            QMetaObject::invokeMethod(
                current,
                [&] {
                    current->stop();
                    stopped = true;
                },
                Qt::QueuedConnection);
            while (!stopped && !(cancel && *cancel))
                std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        return result;
    };
    VerificationRun run(tree, std::make_shared<SharedProxySettings>(), counted);
    current = &run;
    QEventLoop loop;
    QObject::connect(&run, &VerificationRun::ended, &loop, &QEventLoop::quit);

    EventLoopGaps gaps;
    QElapsedTimer clock;
    clock.start();
    gaps.start();
    CountedRun result;
    result.started = run.start();
    if (result.started)
        loop.exec();
    gaps.stop();
    result.seconds = double(clock.nsecsElapsed()) / 1e9;
    result.probed = probed.load();
    result.longestGapSeconds = gaps.longestGapSeconds();
    return result;
}
