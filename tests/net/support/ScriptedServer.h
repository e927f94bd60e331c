#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class ScriptedConnection;

// A TCP server on 127.0.0.1 that behaves exactly as a test script says: every
// accepted connection gets a thread of its own running the script, which
// reads and writes raw bytes, so any broken or hostile server can be played.
// stop() (also run by the destructor) wakes scripts that wait or block on
// their socket and joins every thread.
class ScriptedServer final
{
public:
    using Script = std::function<void(ScriptedConnection&)>;

    explicit ScriptedServer(Script script);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int port() const { return port_; }
    // scheme "://127.0.0.1:<port>" followed by path.
    std::string url(const std::string& path, const std::string& scheme = "http") const;
    int acceptedCount() const { return accepted_.load(); }

    // Ends the server; the scripts have all returned when this returns.
    void stop();
    // Waits up to bound for stop(); true when it came.
    bool waitForStop(std::chrono::milliseconds bound) const;

private:
    void acceptLoop();
    void serve(int socket);

    Script script_;
    int listener_ = -1;
    int wakePipe_[2] = {-1, -1};
    int port_ = -1;
    std::atomic_int accepted_{0};
    std::thread acceptor_;
    std::vector<std::thread> workers_; // the acceptor's until it is joined
    mutable std::mutex mutex_;
    mutable std::condition_variable stopSignal_;
    bool stopping_ = false;
    bool joined_ = false;
    std::set<int> openSockets_;
};
