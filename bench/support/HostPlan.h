#pragma once

#include <vector>

// What a link of the many-hosts benchmark answers.
enum class PlannedAnswer
{
    Ok,
    Redirect,
    NotFound,
    ServerError,
    Refused
};

struct PlannedLink
{
    int host = 0; // index among the server's addresses
    PlannedAnswer answer = PlannedAnswer::Ok;
    int latencyMs = 0; // until the answer; a redirect's target answers at once
};

// count links spread over hosts addresses, the same for the same seed: mostly
// 200 after 50 to 400 ms, some redirects to a 200, some 404 and 500, a few
// that take 2 to 3 s and a few to a closed port.
std::vector<PlannedLink> PlanLinks(int count, int hosts, unsigned seed);

// The shortest wall time a run could have that keeps at most total requests
// in flight and at most perHost on any one address: the largest of the
// latencies shared out over total, each host's latencies shared out over
// perHost (never below its slowest link) and the slowest link.
double FloorSeconds(const std::vector<PlannedLink>& plan, int total, int perHost);

// The wall time of starting the links in order, each as soon as the limits
// allow (a link whose host is at its limit lets later ones of other hosts go
// first), at no cost beyond the latencies: the best any run that keeps this
// order can do. order holds indexes into plan.
double InOrderSeconds(const std::vector<PlannedLink>& plan, const std::vector<int>& order,
                      int total, int perHost);
