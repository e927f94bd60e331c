#include "HostPlan.h"

#include <algorithm>
#include <functional>
#include <list>
#include <map>
#include <queue>
#include <random>

namespace {

PlannedAnswer answerFor(int roll)
{
    if (roll < 2)
        return PlannedAnswer::Refused;
    if (roll < 8)
        return PlannedAnswer::NotFound;
    if (roll < 12)
        return PlannedAnswer::ServerError;
    if (roll < 20)
        return PlannedAnswer::Redirect;
    return PlannedAnswer::Ok;
}

} // namespace

std::vector<PlannedLink> PlanLinks(int count, int hosts, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> host(0, hosts - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> usual(50, 400);
    std::uniform_int_distribution<int> slow(2000, 3000);
    std::vector<PlannedLink> plan;
    for (int i = 0; i < count; ++i) {
        PlannedLink link;
        link.host = host(random);
        link.answer = answerFor(percent(random));
        const bool isSlow = percent(random) < 2;
        const int latency = isSlow ? slow(random) : usual(random);
        link.latencyMs = link.answer == PlannedAnswer::Refused ? 0 : latency;
        plan.push_back(link);
    }
    return plan;
}

double FloorSeconds(const std::vector<PlannedLink>& plan, int total, int perHost)
{
    std::map<int, std::pair<double, double>> hosts; // sum and largest, per host
    double sum = 0;
    double slowest = 0;
    for (const PlannedLink& link : plan) {
        const double seconds = link.latencyMs / 1000.0;
        sum += seconds;
        slowest = std::max(slowest, seconds);
        auto& [hostSum, hostLargest] = hosts[link.host];
        hostSum += seconds;
        hostLargest = std::max(hostLargest, seconds);
    }
    double floor = std::max(sum / total, slowest);
    for (const auto& [host, figures] : hosts)
        floor = std::max(floor, std::max(figures.first / perHost, figures.second));
    return floor;
}

double InOrderSeconds(const std::vector<PlannedLink>& plan, const std::vector<int>& order,
                      int total, int perHost)
{
    using Running = std::pair<double, int>; // when it ends, and its host
    std::priority_queue<Running, std::vector<Running>, std::greater<>> running;
    std::map<int, int> perHostRunning;
    std::list<int> waiting(order.begin(), order.end());
    double now = 0;
    while (!waiting.empty() || !running.empty()) {
        for (auto it = waiting.begin(); it != waiting.end() && int(running.size()) < total;) {
            const PlannedLink& link = plan[std::size_t(*it)];
            if (perHostRunning[link.host] >= perHost) {
                ++it;
                continue;
            }
            ++perHostRunning[link.host];
            running.push({now + link.latencyMs / 1000.0, link.host});
            it = waiting.erase(it);
        }
        now = running.top().first;
        --perHostRunning[running.top().second];
        running.pop();
    }
    return now;
}
