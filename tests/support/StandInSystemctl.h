#pragma once

#include <QByteArray>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// A systemctl of the test's own: while the object lives, PATH holds only
// its folder, and XDG_CONFIG_HOME and HOME lead into the test's folder, so
// no real systemctl or unit folder is ever touched. Each call is recorded.
class StandInSystemctl final
{
public:
    enum class Kind
    {
        Answers,       // every call ends with exit code 0
        NoUserManager, // every call fails as without a user manager
        EnableFails,   // only "enable" fails
        Missing,       // there is no systemctl on PATH
    };

    StandInSystemctl(const std::filesystem::path& folder, Kind kind);
    ~StandInSystemctl();
    StandInSystemctl(const StandInSystemctl&) = delete;
    StandInSystemctl& operator=(const StandInSystemctl&) = delete;

    // The arguments of each call so far, one string a call.
    std::vector<std::string> calls() const;
    // Where the units go: XDG_CONFIG_HOME + "/systemd/user".
    std::filesystem::path unitFolder() const;

private:
    std::filesystem::path folder_;
    std::vector<std::pair<const char*, std::optional<QByteArray>>> saved_;
};
