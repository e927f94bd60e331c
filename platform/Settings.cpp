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

bool readFlag(const ProfileFile& profile, const QString& section, const QString& key)
{
    const std::optional<std::int32_t> number = ParseProfileInteger(profile.value(section, key));
    return number.has_value() && *number != 0;
}

// A hand-edited value out of range is brought into it rather than dropped.
int readLinksAtOnce(const ProfileFile& profile)
{
    const std::optional<std::int32_t> number =
        ParseProfileInteger(profile.value(OptionsSection, LinksAtOnceKey));
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
    ProxySettings& proxy = settings.proxy;
    proxy.address = profile.value(OptionsSection, ProxyKey, proxy.address);
    proxy.port = profile.value(OptionsSection, PortKey, proxy.port);
    proxy.useProxy = readFlag(profile, OptionsSection, UseProxyKey);
    settings.linksAtOnce = readLinksAtOnce(profile);
}

void writeOptions(const Settings& settings, ProfileFile& profile)
{
    const ProxySettings& proxy = settings.proxy;
    profile.setValue(OptionsSection, ProxyKey, proxy.address);
    profile.setValue(OptionsSection, PortKey, proxy.port);
    profile.setValue(OptionsSection, UseProxyKey, flagText(proxy.useProxy));
    profile.setValue(OptionsSection, LinksAtOnceKey, QString::number(settings.linksAtOnce));
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
    *this = Settings();
    ProfileFile profile(configFile);
    const int error = readProfile(profile);
    readOptions(profile, *this);
    window = ReadWindowSection(profile);
    return loadStatus(error);
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
