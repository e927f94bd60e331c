#pragma once

#include "HostPlan.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <queue>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

// One request as the server saw it.
struct ServedRequest
{
    std::string target; // the path asked for
    int status = 0;
    std::chrono::steady_clock::time_point arrived;  // its head was read
    std::chrono::steady_clock::time_point answered; // the last byte was written
};

// An HTTP server on many loopback addresses (127.0.0.<firstOctet> on), one
// port for all, that answers each link of a plan with its status once its
// latency has passed. One epoll thread holds every connection, so hundreds
// can wait at once on two cores. Links planned as refused point at a bound
// port nobody listens on. "/links.html" on the first address lists every link
// at once and is not recorded.
class HostsServer final
{
public:
    HostsServer(std::vector<PlannedLink> plan, int hosts, int firstOctet = 10);
    ~HostsServer();
    HostsServer(const HostsServer&) = delete;
    HostsServer& operator=(const HostsServer&) = delete;

    // False when no port could be bound on every address.
    bool start();
    int port() const { return port_; }

    std::string linkFor(int index) const;
    std::vector<std::string> links() const;
    std::string pageUrl() const;

    // Waits, up to limit, until no connection is open: a client can read its
    // answer a moment before the server has recorded it. False on time-out.
    bool waitUntilIdle(std::chrono::milliseconds limit = std::chrono::seconds(10)) const;
    std::vector<ServedRequest> requests() const;
    void clearRequests();
    // From the first arrival to the last answer; 0 when nothing was served.
    double wallSeconds() const;
    // From the first arrival to the last of each path's first answer: a
    // run's verdicts as they first stand, before any second opinion.
    double firstAnswersSeconds() const;
    // The links of the plan, other than refused ones, never asked for.
    std::vector<int> linksNotAsked() const;

private:
    struct Connection
    {
        int fd = -1;
        std::uint64_t serial = 0; // tells a closed connection from a later one on its fd
        std::string input;
        std::string output;
        std::size_t sent = 0;
        bool headRead = false;
        bool recorded = true;
        ServedRequest request;
    };
    struct Timer
    {
        std::chrono::steady_clock::time_point due;
        int fd;
        std::uint64_t serial;
        bool operator>(const Timer& other) const { return due > other.due; }
    };

    bool bindAll();
    void closeAll();
    void serve();
    void accept(int listener);
    void readFrom(Connection& connection);
    void writeTo(Connection& connection);
    void drop(int fd);
    // The response to send and how long to hold it back.
    std::string responseFor(const std::string& method, Connection& connection,
                            std::chrono::milliseconds& delay) const;
    std::string address(int host) const;

    std::vector<PlannedLink> plan_;
    int hosts_;
    int firstOctet_;
    int port_ = -1;
    std::vector<int> listeners_;
    std::vector<int> closedSockets_; // one per host, bound and never listening
    std::vector<int> closedPorts_;
    int epoll_ = -1;
    int wake_ = -1;
    std::thread thread_;
    // Touched by the server's thread only.
    std::unordered_map<int, Connection> connections_;
    std::priority_queue<Timer, std::vector<Timer>, std::greater<>> timers_;
    std::uint64_t nextSerial_ = 1;
    std::atomic_int openConnections_{0};
    mutable std::mutex mutex_;
    std::vector<ServedRequest> served_;
};
