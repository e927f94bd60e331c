#include "ProbeSchedule.h"

#include <algorithm>
#include <chrono>

namespace {

const int DescriptorsPerProbe = 4;
const int ReservedDescriptors = 32;

} // namespace

qint64 SteadyClockMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

ProbeSchedule::ProbeSchedule(int total, int perHost, ProbeClock clock)
    : total_(std::max(total, 1)), perHost_(std::max(perHost, 1)), clock_(std::move(clock))
{
}

void ProbeSchedule::add(Link link)
{
    link.host = link.host.toLower();
    timesGiven_ = timesGiven_ || link.notBefore != 0;
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

QString ProbeSchedule::holdHostOf(quint64 ticket, qint64 until)
{
    const auto it = running_.constFind(ticket);
    if (it == running_.constEnd() || it->host.isEmpty())
        return {};
    qint64& held = heldUntil_[it->host];
    const qint64 now = clock_();
    // Answers that come in together ask for the same rest: it is waited once.
    const qint64 from = std::max(held, now);
    if (held == NoBudget || until <= from)
        return {};
    qint64& spent = heldFor_[it->host];
    if (spent >= hostWaitBudget_) {
        // An answer during the pause was asked for before it began; only
        // one asked for after it says the host still wants rest.
        if (held > now)
            return {};
        held = NoBudget;
        return it->host;
    }
    const qint64 wait = std::min(until - from, hostWaitBudget_ - spent);
    held = from + wait;
    spent += wait;
    return {};
}

std::optional<ProbeSchedule::HostHold> ProbeSchedule::longestHold() const
{
    if (heldUntil_.isEmpty())
        return std::nullopt;
    const qint64 now = clock_();
    std::optional<HostHold> longest;
    for (const Link& link : waiting_) {
        const qint64 until = heldUntil_.value(link.host);
        if (until > now && until != NoBudget && (!longest || until - now > longest->leftMs))
            longest = HostHold{link.host, until - now};
    }
    return longest;
}

std::optional<qint64> ProbeSchedule::nextDue() const
{
    // Most runs never wait for a time; they need not look through the queue.
    if (!timesGiven_ && heldUntil_.isEmpty())
        return std::nullopt;
    const qint64 now = clock_();
    std::optional<qint64> earliest;
    for (const Link& link : waiting_) {
        // A link of a host given up waits to be taken back, not for a time.
        const qint64 due = dueAt(link);
        if (due > now && due != NoBudget && (!earliest || due < *earliest))
            earliest = due;
    }
    return earliest;
}

std::optional<ProbeSchedule::Link> ProbeSchedule::startNext()
{
    if (isFull())
        return std::nullopt;
    const qint64 now = clock_();
    const auto it = std::find_if(waiting_.begin(), waiting_.end(),
                                 [this, now](const Link& link) { return mayStart(link, now); });
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

bool ProbeSchedule::mayStart(const Link& link, qint64 now) const
{
    if (dueAt(link) > now)
        return false;
    return link.host.isEmpty() || runningPerHost_.value(link.host) < perHost_;
}

qint64 ProbeSchedule::dueAt(const Link& link) const
{
    if (heldUntil_.isEmpty() || link.host.isEmpty())
        return link.notBefore;
    return std::max(link.notBefore, heldUntil_.value(link.host));
}

int LinksAtOnceWithin(int wanted, int freeDescriptors)
{
    const int affordable = (freeDescriptors - ReservedDescriptors) / DescriptorsPerProbe;
    return std::max(std::min(wanted, affordable), 1);
}
