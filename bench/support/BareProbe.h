#pragma once

#include <string>
#include <vector>

// The user agent the link probe sends; the bare loop sends the same.
inline constexpr char ProbeUserAgent[] = "InetURL:/1.0";

// What the link probe is measured against: one plain libcurl GET per URL,
// each with a fresh easy handle (so a fresh connection), the same user
// agent, the body thrown away. Returns how many answered 200.
int BareProbeLoop(const std::vector<std::string>& urls, const std::string& userAgent);
