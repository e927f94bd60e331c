#pragma once

#include "CheckPeriod.h"

#include <QString>
#include <filesystem>

// What setting or removing the check that runs by itself came to.
struct ScheduleOutcome
{
    enum class State
    {
        Done,
        // No systemctl, or no user manager it could reach: nothing is set
        // (a crontab line may do instead), or, turning off, there was
        // nothing systemd could still run.
        NoUserManager,
        // A unit file of that name that Orvanta did not write, or that was
        // changed since: left as it is, and nothing else was touched.
        NotOurs,
        Failed,
    };

    State state = State::Done;
    // NoUserManager, Failed: why; NotOurs: the file or files left alone.
    QString detail;
};

// Period Off disables the timer and removes the service and timer of
// $XDG_CONFIG_HOME/systemd/user (see CheckUnits); any other writes them to
// run executable on folder that often and enables the timer. A unit file
// that is not Orvanta's own is never replaced or removed.
ScheduleOutcome SetScheduledCheck(CheckPeriod period, const std::filesystem::path& executable,
                                  const std::filesystem::path& folder);
