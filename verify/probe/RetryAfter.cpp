#include "RetryAfter.h"

#include <QByteArray>
#include <algorithm>
#include <curl/curl.h>

std::optional<int> RetryAfterSeconds(QByteArrayView value, std::time_t now)
{
    const QByteArray text = value.trimmed().toByteArray();
    if (text.isEmpty())
        return std::nullopt;
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        // More than two digits after any leading zeros is more than a minute,
        // however many there are.
        QByteArrayView digits = text;
        while (digits.size() > 1 && digits.front() == '0')
            digits = digits.sliced(1);
        return digits.size() > 2 ? LongestRetryAfterSeconds
                                 : std::min(digits.toInt(), LongestRetryAfterSeconds);
    }
    // libcurl reads the three date forms HTTP allows (and a few more).
    const std::time_t date = curl_getdate(text.constData(), nullptr);
    if (date == -1)
        return std::nullopt;
    return int(std::clamp<std::time_t>(date - now, 0, LongestRetryAfterSeconds));
}
