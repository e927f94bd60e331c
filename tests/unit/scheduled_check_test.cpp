#include "CheckUnits.h"
#include "ScheduledCheck.h"
#include "StandInSystemctl.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using State = ScheduleOutcome::State;
using Calls = std::vector<std::string>;

const std::filesystem::path Executable = "/opt/Orvanta Apps/orvanta";
const std::filesystem::path Folder = "/home/ann/My 100% Favorites";

const std::string Reload = "--user daemon-reload";
const std::string Enable = "--user enable --now orvanta-check.timer";
const std::string Disable = "--user disable --now orvanta-check.timer";

class ScheduledCheckTest : public ::testing::Test
{
protected:
    std::filesystem::path service(const StandInSystemctl& systemctl) const
    {
        return systemctl.unitFolder() / "orvanta-check.service";
    }
    std::filesystem::path timer(const StandInSystemctl& systemctl) const
    {
        return systemctl.unitFolder() / "orvanta-check.timer";
    }

    TempDir temp_;
};

TEST_F(ScheduledCheckTest, OnWritesBothUnitsAndEnablesTheTimerAndOffTakesThemAway)
{
    const StandInSystemctl systemctl(temp_.path(), StandInSystemctl::Kind::Answers);
    ScheduleOutcome outcome = SetScheduledCheck(CheckPeriod::Weekly, Executable, Folder);
    EXPECT_EQ(outcome.state, State::Done) << outcome.detail.toStdString();
    EXPECT_EQ(ReadFileBytes(service(systemctl)),
              CheckServiceText(Executable, Folder).toStdString());
    EXPECT_EQ(ReadFileBytes(timer(systemctl)), CheckTimerText(CheckPeriod::Weekly).toStdString());
    EXPECT_EQ(systemctl.calls(), (Calls{Reload, Enable}));

    // Another period replaces the files that are still as written.
    outcome = SetScheduledCheck(CheckPeriod::Daily, Executable, "/home/ann/Other");
    EXPECT_EQ(outcome.state, State::Done) << outcome.detail.toStdString();
    EXPECT_EQ(ReadFileBytes(timer(systemctl)), CheckTimerText(CheckPeriod::Daily).toStdString());
    EXPECT_EQ(ReadFileBytes(service(systemctl)),
              CheckServiceText(Executable, "/home/ann/Other").toStdString());

    outcome = SetScheduledCheck(CheckPeriod::Off, Executable, Folder);
    EXPECT_EQ(outcome.state, State::Done) << outcome.detail.toStdString();
    EXPECT_FALSE(std::filesystem::exists(service(systemctl)));
    EXPECT_FALSE(std::filesystem::exists(timer(systemctl)));
    EXPECT_EQ(systemctl.calls(), (Calls{Reload, Enable, Reload, Enable, Disable, Reload}));
}

TEST_F(ScheduledCheckTest, WithoutAUserManagerNothingIsLeftBehindAndTheReasonIsGiven)
{
    {
        const StandInSystemctl systemctl(temp_ / "missing", StandInSystemctl::Kind::Missing);
        for (const CheckPeriod period : {CheckPeriod::Weekly, CheckPeriod::Off}) {
            const ScheduleOutcome outcome = SetScheduledCheck(period, Executable, Folder);
            EXPECT_EQ(outcome.state, State::NoUserManager);
            EXPECT_EQ(outcome.detail, "systemctl was not found");
            EXPECT_FALSE(std::filesystem::exists(service(systemctl)));
        }
    }
    const StandInSystemctl systemctl(temp_ / "no-bus", StandInSystemctl::Kind::NoUserManager);
    for (const CheckPeriod period : {CheckPeriod::Weekly, CheckPeriod::Off}) {
        const ScheduleOutcome outcome = SetScheduledCheck(period, Executable, Folder);
        EXPECT_EQ(outcome.state, State::NoUserManager);
        EXPECT_EQ(outcome.detail, "Failed to connect to bus: No medium found");
        EXPECT_FALSE(std::filesystem::exists(service(systemctl)));
        EXPECT_FALSE(std::filesystem::exists(timer(systemctl)));
    }
    EXPECT_EQ(systemctl.calls(), (Calls{Reload, Reload}));
}

TEST_F(ScheduledCheckTest, ATimerThatCannotBeEnabledIsTakenAwayAgain)
{
    const StandInSystemctl systemctl(temp_.path(), StandInSystemctl::Kind::EnableFails);
    const ScheduleOutcome outcome = SetScheduledCheck(CheckPeriod::Monthly, Executable, Folder);
    EXPECT_EQ(outcome.state, State::Failed);
    EXPECT_EQ(outcome.detail, "Unit is masked.");
    EXPECT_FALSE(std::filesystem::exists(service(systemctl)));
    EXPECT_FALSE(std::filesystem::exists(timer(systemctl)));
    EXPECT_EQ(systemctl.calls(), (Calls{Reload, Enable, Reload}));
}

TEST_F(ScheduledCheckTest, AUnitFileOrvantaDidNotWriteOrThatWasChangedIsLeftAlone)
{
    const StandInSystemctl systemctl(temp_.path(), StandInSystemctl::Kind::Answers);
    const std::string foreign = "[Service]\nExecStart=/usr/bin/true\n";
    temp_.write("config/systemd/user/orvanta-check.service", foreign);
    ScheduleOutcome outcome = SetScheduledCheck(CheckPeriod::Weekly, Executable, Folder);
    EXPECT_EQ(outcome.state, State::NotOurs);
    EXPECT_EQ(outcome.detail.toStdString(), service(systemctl).native());
    EXPECT_EQ(ReadFileBytes(service(systemctl)), foreign);
    EXPECT_FALSE(std::filesystem::exists(timer(systemctl))) << "nothing is half done";
    outcome = SetScheduledCheck(CheckPeriod::Off, Executable, Folder);
    EXPECT_EQ(outcome.state, State::NotOurs);
    EXPECT_EQ(ReadFileBytes(service(systemctl)), foreign);
    EXPECT_TRUE(systemctl.calls().empty());

    // Orvanta's own timer, edited by hand since, is the person's now.
    std::filesystem::remove(service(systemctl));
    ASSERT_EQ(SetScheduledCheck(CheckPeriod::Weekly, Executable, Folder).state, State::Done);
    const std::string edited =
        CheckTimerText(CheckPeriod::Weekly).toStdString() + "AccuracySec=1s\n";
    temp_.write("config/systemd/user/orvanta-check.timer", edited);
    outcome = SetScheduledCheck(CheckPeriod::Off, Executable, Folder);
    EXPECT_EQ(outcome.state, State::NotOurs);
    EXPECT_EQ(outcome.detail.toStdString(), timer(systemctl).native());
    EXPECT_EQ(ReadFileBytes(timer(systemctl)), edited);
    EXPECT_TRUE(std::filesystem::exists(service(systemctl)));
    EXPECT_EQ(systemctl.calls(), (Calls{Reload, Enable})) << "the timer stays enabled";

    // A link of that name is not followed, whatever it leads to.
    std::filesystem::remove(timer(systemctl));
    std::filesystem::create_symlink(service(systemctl), timer(systemctl));
    EXPECT_EQ(SetScheduledCheck(CheckPeriod::Daily, Executable, Folder).state, State::NotOurs);
    EXPECT_TRUE(std::filesystem::is_symlink(timer(systemctl)));
}

TEST_F(ScheduledCheckTest, WithoutXdgConfigHomeTheUnitsGoBelowHomeInAFolderOfTheUsersOwn)
{
    const StandInSystemctl systemctl(temp_.path(), StandInSystemctl::Kind::Answers);
    qunsetenv("XDG_CONFIG_HOME");
    ASSERT_EQ(SetScheduledCheck(CheckPeriod::Weekly, Executable, Folder).state, State::Done);
    const std::filesystem::path folder = temp_ / "home/.config/systemd/user";
    EXPECT_TRUE(std::filesystem::exists(folder / "orvanta-check.timer"));
    struct stat info;
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u) << "a folder made for the units is private";

    // A unit folder others may write to is not used.
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    const ScheduleOutcome outcome = SetScheduledCheck(CheckPeriod::Off, Executable, Folder);
    EXPECT_EQ(outcome.state, State::Failed);
    EXPECT_TRUE(outcome.detail.contains("may be written by other users"));
    EXPECT_TRUE(std::filesystem::exists(folder / "orvanta-check.timer"));
}

} // namespace
