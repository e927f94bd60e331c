#include "CountedRun.h"

#include "EventLoopGaps.h"
#include "VerificationRun.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <chrono>
#include <thread>

namespace {

// Passes everything to the engine it wraps; the probe that reaches the count
// starts only once the run has been stopped, so no further one starts.
class CountingEngine final : public ProbeEngine
{
public:
    CountingEngine(std::unique_ptr<ProbeEngine> inner, int links, VerificationRun*& run)
        : inner_(std::move(inner)), links_(links), run_(run)
    {
    }

    void start(quint64 ticket, const QString& link, const ProxySettings& proxy,
               bool readPage) override
    {
        if (++started_ == links_)
            stopRun();
        inner_->start(ticket, link, proxy, readPage);
    }
    std::vector<FinishedProbe> takeFinished(int longestWaitMs) override
    {
        std::vector<FinishedProbe> finished = inner_->takeFinished(longestWaitMs);
        probed += int(finished.size());
        return finished;
    }
    void wake() override { inner_->wake(); }
    void cancelAll() override { inner_->cancelAll(); }

    std::atomic_int probed{0};

private:
    void stopRun()
    {
        std::atomic_bool stopped{false};
        QMetaObject::invokeMethod(
            run_,
            [&] {
                run_->stop();
                stopped = true;
            },
            Qt::QueuedConnection);
        while (!stopped)
            std::this_thread::sleep_for(std::chrono::microseconds(50));
    }

    std::unique_ptr<ProbeEngine> inner_;
    int links_;
    int started_ = 0;
    VerificationRun*& run_;
};

} // namespace

CountedRun RunForLinks(BookmarkModel& tree, const ProbeEngineFactory& engines, int links,
                       int linksAtOnce)
{
    VerificationRun* current = nullptr;
    auto engine = std::make_unique<CountingEngine>(engines(), links, current);
    CountingEngine& counted = *engine;
    VerificationRun run(tree, std::make_shared<SharedProxySettings>(), std::move(engine),
                        linksAtOnce);
    // The rule the program began with: the figures it is held to are for one link at a
    // time, judged strictly, with no page read and no second pass.
    run.setJudgeMode(JudgeMode::Strict);
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
    result.probed = counted.probed.load();
    result.longestGapSeconds = gaps.longestGapSeconds();
    return result;
}
