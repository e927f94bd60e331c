#pragma once

#include <atomic>
#include <thread>
#include <vector>

// A TCP server on 127.0.0.1 that accepts every connection and never sends a
// byte, the way a hung web server looks to a client.
class SilentServer final
{
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    int port() const { return port_; }
    int acceptedCount() const { return accepted_.load(); }
    // Waits (bounded, so a broken client cannot hang the test) until at least
    // one connection has been accepted; returns whether one was.
    bool waitForConnection() const;

private:
    void acceptLoop();

    int listener_ = -1;
    int wakePipe_[2] = {-1, -1};
    int port_ = -1;
    std::atomic_int accepted_{0};
    std::vector<int> connections_;
    std::thread thread_;
};
