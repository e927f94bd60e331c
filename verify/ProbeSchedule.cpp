#include "ProbeSchedule.h"

#include <algorithm>

namespace {

const int DescriptorsPerProbe = 4;
const int ReservedDescriptors = 32;

} // namespace

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
    if (!link.host.isEmpty())
        ++runningPerHost_[link.host];
    running_.insert(link.ticket, link);
    return link;
}

void ProbeSchedule::finished(quint64 ticket)
{
    const auto it = running_.find(ticket);
    if (it != running_.end())
        stopRunning(it);
}

bool ProbeSchedule::retryLater(quint64 ticket)
{
    const auto it = running_.find(ticket);
    if (it == running_.end())
        return false;
    Link link = stopRunning(it);
    if (running_.isEmpty())
        return false;
    total_ = std::min(total_, running());
    waiting_.push_front(std::move(link));
    return true;
}

ProbeSchedule::Link ProbeSchedule::stopRunning(QHash<quint64, Link>::iterator it)
{
    Link link = std::move(*it);
    running_.erase(it);
    if (!link.host.isEmpty() && --runningPerHost_[link.host] == 0)
        runningPerHost_.remove(link.host);
    return link;
}

bool ProbeSchedule::mayStart(const QString& host) const
{
    return host.isEmpty() || runningPerHost_.value(host) < perHost_;
}

int LinksAtOnceWithin(int wanted, int freeDescriptors)
{
    const int affordable = (freeDescriptors - ReservedDescriptors) / DescriptorsPerProbe;
    return std::max(std::min(wanted, affordable), 1);
}
