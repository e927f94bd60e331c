#include "ScheduledCheck.h"

#include "CheckUnits.h"
#include "KnownFolders.h"
#include "OwnFolder.h"
#include "UserSystemctl.h"

#include <QFile>
#include <QStringList>
#include <cerrno>
#include <cstring>

namespace {

using State = ScheduleOutcome::State;

// No unit file of ours comes near this; a bigger one is someone else's.
constexpr qint64 UnitSizeLimit = 64 * 1024;

const std::string ServiceName = CheckServiceName;
const std::string TimerName = CheckTimerName;
const QString TimerUnit = QString::fromLatin1(CheckTimerName);

// The two unit files as they stand in the folder.
struct UnitFiles
{
    bool servicePresent = false;
    bool timerPresent = false;
    // The files that are there but not as Orvanta wrote them.
    QStringList foreign;
};

bool isOursOrAbsent(const OwnFolder& folder, const std::string& name, bool& present)
{
    QByteArray bytes;
    const int error = folder.read(name, UnitSizeLimit, bytes);
    present = error != ENOENT;
    return !present || (error == 0 && IsOwnUnitText(bytes));
}

UnitFiles lookAt(const OwnFolder& folder, const std::filesystem::path& path)
{
    UnitFiles files;
    for (const auto& [name, present] : {std::pair{&ServiceName, &files.servicePresent},
                                        std::pair{&TimerName, &files.timerPresent}}) {
        if (!isOursOrAbsent(folder, *name, *present))
            files.foreign << QFile::decodeName((path / *name).c_str());
    }
    return files;
}

ScheduleOutcome failed(const QString& why)
{
    return {State::Failed, why};
}

// The folder of the units, open; an outcome when it cannot serve.
std::optional<ScheduleOutcome> folderTrouble(const OwnFolder& folder,
                                             const std::filesystem::path& path)
{
    if (path.empty())
        return failed(QStringLiteral("Neither XDG_CONFIG_HOME nor HOME is set"));
    if (folder.isUsable())
        return std::nullopt;
    if (!folder.refusal().isEmpty())
        return failed(folder.refusal());
    return failed(QFile::decodeName(path.c_str()) + QStringLiteral(" cannot be opened"));
}

bool removeBoth(const OwnFolder& folder, QString* error)
{
    const bool service = folder.remove(ServiceName, error);
    return folder.remove(TimerName, error) && service;
}

ScheduleOutcome turnOn(CheckPeriod period, const std::filesystem::path& executable,
                       const std::filesystem::path& folderToCheck)
{
    if (!UserSystemctlFound())
        return {State::NoUserManager, QStringLiteral("systemctl was not found")};
    EnsureSystemdUserFolder();
    const std::filesystem::path path = SystemdUserFolderPath();
    const OwnFolder folder(path);
    if (auto trouble = folderTrouble(folder, path))
        return *trouble;
    const UnitFiles files = lookAt(folder, path);
    if (!files.foreign.isEmpty())
        return {State::NotOurs, files.foreign.join(QStringLiteral(", "))};

    QString error;
    if (!folder.write(ServiceName, CheckServiceText(executable, folderToCheck), &error) ||
        !folder.write(TimerName, CheckTimerText(period), &error)) {
        removeBoth(folder, nullptr);
        return failed(error);
    }
    // The first call is the one that finds out whether a manager listens.
    const SystemctlAnswer reload = RunUserSystemctl({QStringLiteral("daemon-reload")});
    if (!reload.ok) {
        removeBoth(folder, nullptr);
        return {State::NoUserManager, reload.why};
    }
    const SystemctlAnswer enable =
        RunUserSystemctl({QStringLiteral("enable"), QStringLiteral("--now"), TimerUnit});
    if (!enable.ok) {
        removeBoth(folder, nullptr);
        RunUserSystemctl({QStringLiteral("daemon-reload")});
        return failed(enable.why);
    }
    return {};
}

ScheduleOutcome turnOff()
{
    const std::filesystem::path path = SystemdUserFolderPath();
    const OwnFolder folder(path);
    UnitFiles files;
    if (!path.empty() && DirectoryExists(path)) {
        if (auto trouble = folderTrouble(folder, path))
            return *trouble;
        files = lookAt(folder, path);
    }
    if (!files.foreign.isEmpty())
        return {State::NotOurs, files.foreign.join(QStringLiteral(", "))};

    const bool found = UserSystemctlFound();
    const SystemctlAnswer disable =
        found && files.timerPresent
            ? RunUserSystemctl({QStringLiteral("disable"), QStringLiteral("--now"), TimerUnit})
            : SystemctlAnswer{true, {}};
    QString error;
    if ((files.servicePresent || files.timerPresent) && !removeBoth(folder, &error))
        return failed(error);
    if (!found)
        return {State::NoUserManager, QStringLiteral("systemctl was not found")};
    const SystemctlAnswer reload = RunUserSystemctl({QStringLiteral("daemon-reload")});
    if (!reload.ok)
        return {State::NoUserManager, reload.why};
    if (!disable.ok)
        return failed(disable.why);
    return {};
}

} // namespace

ScheduleOutcome SetScheduledCheck(CheckPeriod period, const std::filesystem::path& executable,
                                  const std::filesystem::path& folder)
{
    if (period == CheckPeriod::Off)
        return turnOff();
    return turnOn(period, executable, folder);
}
