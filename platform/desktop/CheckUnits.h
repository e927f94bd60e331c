#pragma once

#include "CheckPeriod.h"

#include <QByteArray>
#include <QString>
#include <filesystem>

// The files of the check that runs by itself: a systemd user service that
// runs `orvanta --check FOLDER --notify --format text` and a timer that
// starts it, and the crontab line that does the same without systemd.

inline constexpr char CheckServiceName[] = "orvanta-check.service";
inline constexpr char CheckTimerName[] = "orvanta-check.timer";

// The service for the executable and folder (both absolute; an empty folder
// leaves the command line to find the Favorites itself).
QByteArray CheckServiceText(const std::filesystem::path& executable,
                            const std::filesystem::path& folder);
// The timer that starts the service once a period (not Off).
QByteArray CheckTimerText(CheckPeriod period);
// Whether bytes are a unit file as Orvanta wrote it: its first line says so
// and the rest is as it was written.
bool IsOwnUnitText(const QByteArray& bytes);

// The crontab line for the same check, quoted for the shell and for cron's
// '%'; empty when a path holds a line break, which no crontab line can.
QString CheckCrontabLine(CheckPeriod period, const std::filesystem::path& executable,
                         const std::filesystem::path& folder);
