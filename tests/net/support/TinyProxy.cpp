#include "TinyProxy.h"

#include "LoopbackPort.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

const std::filesystem::path configName = "tinyproxy.conf";

} // namespace

TinyProxy::TinyProxy(const std::filesystem::path& folder)
{
    // tinyproxy binds its port itself and cannot be handed an open socket, so
    // the port is picked free and released first; another program may take
    // it in between, and a second try gets another one.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (tryStart(folder))
            return;
    }
    throw std::runtime_error("tinyproxy did not start; see " + (folder / "tinyproxy.out").string());
}

TinyProxy::~TinyProxy()
{
    stop();
}

void TinyProxy::writeConfig(const std::filesystem::path& folder) const
{
    // No User/Group lines: run as root, tinyproxy keeps the current user,
    // which can still write the log in the private temporary folder.
    std::ofstream config(folder / configName, std::ios::trunc);
    config << "Port " << port_ << "\n"
           << "Listen 127.0.0.1\n"
           << "Allow 127.0.0.1\n"
           << "Timeout 60\n"
           << "MaxClients 20\n"
           << "DisableViaHeader No\n"
           << "LogLevel Error\n"
           << "LogFile \"" << (folder / "tinyproxy.log").string() << "\"\n"
           << "PidFile \"" << (folder / "tinyproxy.pid").string() << "\"\n";
}

bool TinyProxy::tryStart(const std::filesystem::path& folder)
{
    port_ = unusedLoopbackPort();
    writeConfig(folder);

    const std::string configPath = (folder / configName).string();
    const std::string outputPath = (folder / "tinyproxy.out").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::string program = "tinyproxy", foreground = "-d", configFlag = "-c",
                configArgument = configPath;
    char* argv[] = {program.data(), foreground.data(), configFlag.data(), configArgument.data(),
                    nullptr};
    const int spawned = posix_spawnp(&pid_, "tinyproxy", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        return false;
    }

    for (int tries = 0; tries < 1000; ++tries) {
        if (acceptsConnections(port_))
            return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    stop();
    return false;
}

void TinyProxy::stop()
{
    if (pid_ <= 0)
        return;
    // Not SIGTERM: tinyproxy may sit in its graceful shutdown for as long as
    // a client connection lingers, and a test must not wait on that.
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}
