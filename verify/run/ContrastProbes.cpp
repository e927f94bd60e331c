#include "ContrastProbes.h"

#include "BookmarkModel.h"

#include <utility>

std::optional<ProbeResult> ContrastProbes::answerFor(const QString& pattern) const
{
    const auto it = answers_.constFind(pattern);
    return it == answers_.cend() ? std::nullopt : std::optional(*it);
}

bool ContrastProbes::wait(const QString& pattern, Waiting link)
{
    std::vector<Waiting>& links = waiting_[pattern];
    links.push_back(std::move(link));
    return links.size() == 1;
}

void ContrastProbes::asking(quint64 ticket, const QString& pattern)
{
    asking_.insert(ticket, pattern);
}

std::vector<ContrastProbes::Waiting> ContrastProbes::answered(quint64 ticket,
                                                              const ProbeResult& answer)
{
    const QString pattern = asking_.take(ticket);
    answers_.insert(pattern, answer);
    return waiting_.take(pattern);
}

std::vector<ContrastProbes::Waiting> ContrastProbes::dropped(quint64 ticket)
{
    return waiting_.take(asking_.take(ticket));
}

std::vector<ContrastProbes::Waiting> ContrastProbes::takeAllWaiting()
{
    std::vector<Waiting> all;
    for (std::vector<Waiting>& links : waiting_) {
        for (Waiting& link : links)
            all.push_back(std::move(link));
    }
    waiting_.clear();
    asking_.clear();
    return all;
}

int ContrastProbes::forgetWithin(const BookmarkNode* top)
{
    int secondOpinions = 0;
    for (std::vector<Waiting>& links : waiting_) {
        for (Waiting& link : links) {
            if (link.node && BookmarkModel::isInSubtree(link.node, top)) {
                secondOpinions += link.attempt > 1;
                link.node = nullptr;
            }
        }
    }
    return secondOpinions;
}

void ContrastProbes::clear()
{
    answers_.clear();
    waiting_.clear();
    asking_.clear();
}
