#include "SecondPass.h"

#include "BookmarkModel.h"
#include "ProbeSchedule.h"

#include <algorithm>
#include <iterator>
#include <utility>

void SecondPass::wait(BookmarkNode* node, const QString& link, const QString& host,
                      const ProbeResult& firstAnswer, int attempts)
{
    const qint64 asked = std::min(qint64(firstAnswer.retryAfterSeconds) * 1000, longestWaitMs_);
    const qint64 wait = std::max<qint64>(delayMs_, asked);
    waiting_.push_back({node, link, host, firstAnswer, attempts, SteadyClockMs() + wait});
}

void SecondPass::order()
{
    std::stable_sort(waiting_.begin(), waiting_.end(),
                     [](const Waiting& a, const Waiting& b) { return a.due < b.due; });
}

SecondPass::Waiting SecondPass::takeNext()
{
    Waiting next = std::move(waiting_.front());
    waiting_.pop_front();
    return next;
}

std::deque<SecondPass::Waiting> SecondPass::takeAll()
{
    return std::exchange(waiting_, {});
}

int SecondPass::forgetWithin(const BookmarkNode* top)
{
    const auto before = waiting_.size();
    waiting_.erase(std::remove_if(waiting_.begin(), waiting_.end(),
                                  [top](const Waiting& waiting) {
                                      return BookmarkModel::isInSubtree(waiting.node, top);
                                  }),
                   waiting_.end());
    return int(before - waiting_.size());
}

std::deque<SecondPass::Waiting> SecondPass::takeHost(const QString& host)
{
    std::deque<Waiting> taken;
    const auto kept = std::stable_partition(waiting_.begin(), waiting_.end(),
                                            [&host](const Waiting& w) { return w.host != host; });
    std::move(kept, waiting_.end(), std::back_inserter(taken));
    waiting_.erase(kept, waiting_.end());
    return taken;
}
