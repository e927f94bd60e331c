#include "CheckPeriod.h"

#include <array>

namespace {

constexpr std::array Periods{CheckPeriod::Off, CheckPeriod::Daily, CheckPeriod::Weekly,
                             CheckPeriod::Monthly};

} // namespace

QString CheckPeriodWord(CheckPeriod period)
{
    switch (period) {
    case CheckPeriod::Daily:
        return QStringLiteral("daily");
    case CheckPeriod::Weekly:
        return QStringLiteral("weekly");
    case CheckPeriod::Monthly:
        return QStringLiteral("monthly");
    case CheckPeriod::Off:
        break;
    }
    return QStringLiteral("off");
}

std::optional<CheckPeriod> CheckPeriodNamed(const QString& word)
{
    for (const CheckPeriod period : Periods) {
        if (word.compare(CheckPeriodWord(period), Qt::CaseInsensitive) == 0)
            return period;
    }
    return std::nullopt;
}
