#include "ProbeSchedule.h"

#include <algorithm>

ProbeSchedule::ProbeSchedule(int total, int perHost)
    : total_(std::max(total, 1)), perHost_(std::max(perHost, 1))
{
}

void ProbeSchedule::add(Link link)
{
    link.host = link.host.toLower();
    waiting_.push_back(std::move(link));
}

bool ProbeSchedule::remove(quint64 ticket)
{
    const auto it = std::find_if(waiting_.begin(), waiting_.end(),
                                 [ticket](const Link& link) { return link.ticket == ticket; });
    if (it == waiting_.end())
        return false;
    waiting_.erase(it);
    return true;
}

void ProbeSchedule::clearWaiting()
{
    waiting_.clear();
}

std::optional<ProbeSchedule::Link> ProbeSchedule::startNext()
{
    if (isFull())
        return std::nullopt;
    const auto it = std::find_if(waiting_.begin(), waiting_.end(),
                                 [this](const Link& link) { return mayStart(link.host); });
    if (it == waiting_.end())
        return std::nullopt;
    Link link = std::move(*it);
    waiting_.erase(it);
    running_.insert(link.ticket, link.host);
    if (!link.host.isEmpty())
        ++runningPerHost_[link.host];
    return link;
}

void ProbeSchedule::finished(quint64 ticket)
{
    const auto it = running_.constFind(ticket);
    if (it == running_.cend())
        return;
    if (!it->isEmpty() && --runningPerHost_[*it] == 0)
        runningPerHost_.remove(*it);
    running_.erase(it);
}

bool ProbeSchedule::mayStart(const QString& host) const
{
    return host.isEmpty() || runningPerHost_.value(host) < perHost_;
}
