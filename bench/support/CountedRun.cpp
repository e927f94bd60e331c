#include "CountedRun.h"

#include "EventLoopGaps.h"
#include "VerificationRun.h"

#include <QElapsedTimer>
#include <QEventLoop>

CountedRun RunForLinks(BookmarkModel& tree, const ProbeFunction& probe, int links)
{
    std::atomic_int probed{0};
    VerificationRun* current = nullptr;
    const ProbeFunction counted = [&](const QString& link, const ProxySettings& proxy,
                                      const std::atomic_bool* cancel) {
        const bool alive = probe(link, proxy, cancel);
        // Queued before the answer itself, so the run sees the stop first and
        // stores this answer as the last one.
        if (++probed == links)
            QMetaObject::invokeMethod(
                current, [&] { current->stop(); }, Qt::QueuedConnection);
        return alive;
    };
    VerificationRun run(
        tree, std::make_shared<SharedProxySettings>(), counted);
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
