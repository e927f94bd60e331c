#pragma once

#include <QString>
#include <optional>

// How often the check that runs by itself runs; off, it does not.
enum class CheckPeriod
{
    Off,
    Daily,
    Weekly,
    Monthly,
};

// "off", "daily", "weekly" or "monthly": the word of Config.ini, of systemd's
// OnCalendar= and, after an '@', of crontab.
QString CheckPeriodWord(CheckPeriod period);
// The period a word names, in any case; none for anything else.
std::optional<CheckPeriod> CheckPeriodNamed(const QString& word);
