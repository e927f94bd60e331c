#pragma once

#include <QByteArrayView>
#include <ctime>
#include <optional>

// The longest wait a Retry-After may ask of a run; a server that asks for
// more gets its second look a minute later all the same.
inline constexpr int LongestRetryAfterSeconds = 60;

// The seconds a Retry-After value asks to wait from now: a number of
// seconds or an HTTP date, capped at a minute; none when it is neither.
std::optional<int> RetryAfterSeconds(QByteArrayView value, std::time_t now);
