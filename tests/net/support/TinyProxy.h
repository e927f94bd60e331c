#pragma once

#include <filesystem>
#include <sys/types.h>

// A real tinyproxy on 127.0.0.1, run in the foreground as a child process
// with its configuration, log and pid file in the given folder, and ended when
// the object goes away. It adds a Via header to what it forwards.
class TinyProxy final
{
public:
    explicit TinyProxy(const std::filesystem::path& folder);
    ~TinyProxy();
    TinyProxy(const TinyProxy&) = delete;
    TinyProxy& operator=(const TinyProxy&) = delete;

    int port() const { return port_; }

private:
    bool tryStart(const std::filesystem::path& folder);
    void writeConfig(const std::filesystem::path& folder) const;
    void stop();

    pid_t pid_ = -1;
    int port_ = -1;
};
