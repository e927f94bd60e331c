#pragma once

#include <string>

// A port on 127.0.0.1 where connections are refused for as long as the object
// lives: its socket is bound but never listens, so no other program can start
// listening there while a test relies on the refusal.
class RefusingPort final
{
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port><path>"
    std::string url(const std::string& path) const;

private:
    int socket_ = -1;
    int port_ = -1;
};
