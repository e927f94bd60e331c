#include "Settings.h"

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

// Returns 0 or the errno value that kept the file from being read; a
// profile left unread is empty, so every key gives its default.
int readProfile(ProfileFile& profile)
{
    QByteArray bytes;
    const int error = ReadRegularFile(profile.path(), bytes);
    if (error == 0)
        profile.loadFromBytes(bytes);
    return error;
}

Settings::LoadStatus loadStatus(int error)
{
    if (error == 0)
        return Settings::LoadStatus::Read;
    return error == ENOENT ? Settings::LoadStatus::Missing : Settings::LoadStatus::Unreadable;
}

// A value that is no number gives the flag's default.
bool readFlag(const ProfileSection& keys, const QString& key, bool byDefault = false)
{
    const std::optional<std::int32_t> number = ParseProfileInteger(keys.value(key));
    return number ? *number != 0 : byDefault;
}

// A hand-edited value out of range is brought into it rather than dropped.
int readLinksAtOnce(const ProfileSection& keys)
{
    const std::optional<std::int32_t> number = ParseProfileInteger(keys.value(LinksAtOnceKey));
    if (!number)
        return Settings::DefaultLinksAtOnce;
    return std::clamp(int(*number), Settings::MinLinksAtOnce, Settings::MaxLinksAtOnce);
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
    settings.linksAtOnce = readLinksAtOnce(keys);
    settings.strictVerdicts = readFlag(keys, StrictVerdictsKey);
    settings.useTrash = readFlag(keys, UseTrashKey, true);
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
}

Settings::LoadStatus loadSettings(Settings& settings, const std::filesystem::path& configFile,
                                  bool withWindow)
{
    settings = Settings();
    ProfileFile profile(configFile);
    const int error = readProfile(profile);
    readOptions(profile, settings);
    if (withWindow)
        settings.window = ReadWindowSection(profile);
    return loadStatus(error);
}

// Every section's save goes through here: the file is read first, so the
// lines of the other sections survive the rewrite.
Settings::SaveResult editProfile(const std::filesystem::path& configFile,
                                 const std::function<void(ProfileFile&)>& write)
{
    ProfileFile profile(configFile);
    const int error = readProfile(profile);
    if (loadStatus(error) == Settings::LoadStatus::Unreadable)
        return {false, true,
                QFile::decodeName(configFile.c_str()) + QStringLiteral(": ") +
                    QString::fromLocal8Bit(std::strerror(error))};
    write(profile);
    Settings::SaveResult result;
    result.saved = profile.save(&result.error);
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

Settings::SaveResult Settings::saveWindow(const std::filesystem::path& configFile) const
{
    return editProfile(configFile,
                       [this](ProfileFile& profile) { WriteWindowSection(window, profile); });
}
