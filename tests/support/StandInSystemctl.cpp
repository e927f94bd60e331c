#include "StandInSystemctl.h"

#include <QtGlobal>
#include <fstream>

namespace {

const char* const Variables[] = {"PATH", "XDG_CONFIG_HOME", "HOME"};

std::string script(StandInSystemctl::Kind kind, const std::filesystem::path& log)
{
    std::string text = "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + log.native() + "'\n";
    switch (kind) {
    case StandInSystemctl::Kind::Answers:
        return text + "exit 0\n";
    case StandInSystemctl::Kind::NoUserManager:
        return text + "echo 'Failed to connect to bus: No medium found' >&2\nexit 1\n";
    case StandInSystemctl::Kind::EnableFails:
        return text + "[ \"$2\" = enable ] || exit 0\necho 'Unit is masked.' >&2\nexit 1\n";
    case StandInSystemctl::Kind::Missing:
        break;
    }
    return {};
}

} // namespace

StandInSystemctl::StandInSystemctl(const std::filesystem::path& folder, Kind kind) : folder_(folder)
{
    for (const char* name : Variables) {
        saved_.emplace_back(name, qEnvironmentVariableIsSet(name)
                                      ? std::optional<QByteArray>(qgetenv(name))
                                      : std::nullopt);
    }
    const std::filesystem::path bin = folder / "bin";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(folder / "home");
    if (kind != Kind::Missing) {
        const std::filesystem::path program = bin / "systemctl";
        std::ofstream(program) << script(kind, folder / "calls.log");
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    }
    qputenv("PATH", QByteArray::fromStdString(bin.native()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((folder / "config").native()));
    qputenv("HOME", QByteArray::fromStdString((folder / "home").native()));
}

StandInSystemctl::~StandInSystemctl()
{
    for (const auto& [name, value] : saved_) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
}

std::vector<std::string> StandInSystemctl::calls() const
{
    std::vector<std::string> lines;
    std::ifstream log(folder_ / "calls.log");
    for (std::string line; std::getline(log, line);)
        lines.push_back(line);
    return lines;
}

std::filesystem::path StandInSystemctl::unitFolder() const
{
    return folder_ / "config/systemd/user";
}
