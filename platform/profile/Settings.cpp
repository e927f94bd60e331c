#include "Settings.h"

#include "OwnFolder.h"
#include "ProfileFile.h"
#include "ProfileInteger.h"
#include "RegularFile.h"
#include "WindowSection.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>

namespace {

const QString OptionsSection = QStringLiteral("Options");
const QString ProxyKey = QStringLiteral("Proxy");
const QString PortKey = QStringLiteral("Port");
const QString UseProxyKey = QStringLiteral("UseProxy");
const QString LinksAtOnceKey = QStringLiteral("LinksAtOnce");
const QString StrictVerdictsKey = QStringLiteral("StrictVerdicts");
const QString UseTrashKey = QStringLiteral("UseTrash");
const QString RemoveEmptyFoldersKey = QStringLiteral("RemoveEmptyFolders");
const QString MaxHostWaitKey = QStringLiteral("MaxHostWait");
const QString ScheduledCheckKey = QStringLiteral("ScheduledCheck");
const QString ArchiveLookupKey = QStringLiteral("ArchiveLookup");
const QString ArchiveAddressKey = QStringLiteral("ArchiveAddress");

// The file is read only from a folder of the user's own (OwnFolder), which
// is given. Returns 0 or the errno value that kept the file from being read,
// and *refusal says why when the folder or file is not ours; a profile left
// unread is empty, so every key gives its default.
int readProfile(const OwnFolder& folder, ProfileFile& profile, QString* refusal)
{
    QByteArray bytes;
    const int error =
        folder.read(profile.path().filename().native(), ReadFileLimit, bytes, refusal);
    if (error == 0)
        profile.loadFromBytes(bytes);
    return error;
}

Settings::LoadStatus loadStatus(int error, const QString& refusal)
{
    if (error == 0)
        return Settings::LoadStatus::Read;
    if (!refusal.isEmpty())
        return Settings::LoadStatus::Refused;
    return error == ENOENT ? Settings::LoadStatus::Missing : Settings::LoadStatus::Unreadable;
}

// A value that is no number gives the flag's default.
bool readFlag(const ProfileSection& keys, const QString& key, bool byDefault = false)
{
    const std::optional<std::int32_t> number = ParseProfileInteger(keys.value(key));
    return number ? *number != 0 : byDefault;
}

// A hand-edited value out of range is brought into it rather than dropped.
int readNumber(const ProfileSection& keys, const QString& key, int byDefault, int least, int most)
{
    const std::optional<std::int32_t> number = ParseProfileInteger(keys.value(key));
    if (!number)
        return byDefault;
    return std::clamp(int(*number), least, most);
}

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

void readOptions(const ProfileFile& profile, Settings& settings)
{
    const ProfileSection keys = profile.section(OptionsSection);
    ProxySettings& proxy = settings.proxy;
    proxy.address = keys.value(ProxyKey, proxy.address);
    proxy.port = keys.value(PortKey, proxy.port);
    proxy.useProxy = readFlag(keys, UseProxyKey);
    settings.linksAtOnce = readNumber(keys, LinksAtOnceKey, Settings::DefaultLinksAtOnce,
                                      Settings::MinLinksAtOnce, Settings::MaxLinksAtOnce);
    settings.maxHostWait =
        readNumber(keys, MaxHostWaitKey, Settings::DefaultMaxHostWait, 0, Settings::MaxMaxHostWait);
    settings.strictVerdicts = readFlag(keys, StrictVerdictsKey);
    settings.useTrash = readFlag(keys, UseTrashKey, true);
    settings.removeEmptyFolders = readFlag(keys, RemoveEmptyFoldersKey, true);
    settings.scheduledCheck =
        CheckPeriodNamed(keys.value(ScheduledCheckKey).trimmed()).value_or(CheckPeriod::Off);
    settings.archiveLookup = readFlag(keys, ArchiveLookupKey);
    settings.archiveAddress = keys.value(ArchiveAddressKey, settings.archiveAddress).trimmed();
    if (settings.archiveAddress.isEmpty())
        settings.archiveAddress = Settings::DefaultArchiveAddress;
}

void writeOptions(const Settings& settings, ProfileFile& profile)
{
    const ProxySettings& proxy = settings.proxy;
    profile.setValues(OptionsSection, {{ProxyKey, proxy.address},
                                       {PortKey, proxy.port},
                                       {UseProxyKey, flagText(proxy.useProxy)},
                                       {LinksAtOnceKey, QString::number(settings.linksAtOnce)},
                                       {StrictVerdictsKey, flagText(settings.strictVerdicts)},
                                       {UseTrashKey, flagText(settings.useTrash)}});
    // Written only once it is turned on or off, so a file that never had it
    // stays as it was.
    if (readFlag(profile.section(OptionsSection), ArchiveLookupKey) != settings.archiveLookup)
        profile.setValues(OptionsSection, {{ArchiveLookupKey, flagText(settings.archiveLookup)}});
}

Settings::LoadStatus loadSettings(Settings& settings, const std::filesystem::path& configFile,
                                  bool withWindow)
{
    settings = Settings();
    ProfileFile profile(configFile);
    QString refusal;
    const int error = readProfile(OwnFolder(configFile.parent_path()), profile, &refusal);
    readOptions(profile, settings);
    if (withWindow)
        settings.window = ReadWindowSection(profile);
    return loadStatus(error, refusal);
}

// Every section's save goes through here: the file is read first, so the
// lines of the other sections survive the rewrite.
Settings::SaveResult editProfile(const std::filesystem::path& configFile,
                                 const std::function<void(ProfileFile&)>& write)
{
    // Read and written through the one folder checked once.
    const OwnFolder folder(configFile.parent_path());
    ProfileFile profile(configFile);
    QString refusal;
    const int error = readProfile(folder, profile, &refusal);
    switch (loadStatus(error, refusal)) {
    case Settings::LoadStatus::Refused:
        return {false, false, refusal};
    case Settings::LoadStatus::Unreadable:
        return {false, true,
                QFile::decodeName(configFile.c_str()) + QStringLiteral(": ") +
                    QString::fromLocal8Bit(std::strerror(error))};
    case Settings::LoadStatus::Read:
    case Settings::LoadStatus::Missing:
        break;
    }
    write(profile);
    Settings::SaveResult result;
    result.saved = folder.write(configFile.filename().native(), profile.toBytes(), &result.error);
    return result;
}

} // namespace

Settings::LoadStatus Settings::load(const std::filesystem::path& configFile)
{
    return loadSettings(*this, configFile, true);
}

Settings::LoadStatus Settings::loadOptions(const std::filesystem::path& configFile)
{
    return loadSettings(*this, configFile, false);
}

Settings::SaveResult Settings::saveOptions(const std::filesystem::path& configFile) const
{
    return editProfile(configFile, [this](ProfileFile& profile) { writeOptions(*this, profile); });
}

Settings::SaveResult Settings::saveScheduledCheck(const std::filesystem::path& configFile) const
{
    return editProfile(configFile, [this](ProfileFile& profile) {
        profile.setValue(OptionsSection, ScheduledCheckKey, CheckPeriodWord(scheduledCheck));
    });
}

Settings::SaveResult Settings::saveWindow(const std::filesystem::path& configFile) const
{
    return editProfile(configFile,
                       [this](ProfileFile& profile) { WriteWindowSection(window, profile); });
}
