#include "HostsServer.h"

#include "LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int PortTries = 50;
constexpr std::size_t LongestHead = 64 * 1024;

// A socket bound to address:port (0: any free port), or -1.
int boundSocket(const std::string& address, int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    // Connections the server closed linger in TIME_WAIT on the port; they
    // must not keep the next run from it.
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(std::uint16_t(port));
    inet_pton(AF_INET, address.c_str(), &where.sin_addr);
    if (bind(fd, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int portOf(int fd)
{
    sockaddr_in where{};
    socklen_t size = sizeof where;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&where), &size) != 0)
        return -1;
    return ntohs(where.sin_port);
}

void closeEach(std::vector<int>& fds)
{
    for (int fd : fds)
        close(fd);
    fds.clear();
}

std::string reasonOf(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    default:
        return "Internal Server Error";
    }
}

int statusOf(PlannedAnswer answer)
{
    switch (answer) {
    case PlannedAnswer::Ok:
        return 200;
    case PlannedAnswer::Redirect:
        return 302;
    case PlannedAnswer::NotFound:
        return 404;
    default:
        return 500;
    }
}

// The index after prefix in target, or -1.
int indexAfter(const std::string& target, const std::string& prefix)
{
    if (target.rfind(prefix, 0) != 0 || target.size() == prefix.size())
        return -1;
    const std::string digits = target.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        digits.size() > 6)
        return -1;
    return std::stoi(digits);
}

std::string response(bool head, int status, const std::string& type, const std::string& body,
                     const std::string& location = {})
{
    // LinkChecker holds itself to a few requests a second unless the server
    // says it is a test server; the comparison is of the checking.
    std::string text = "HTTP/1.1 " + std::to_string(status) + " " + reasonOf(status) +
                       "\r\nContent-Type: " + type +
                       "\r\nContent-Length: " + std::to_string(body.size()) +
                       "\r\nConnection: close\r\nLinkChecker: benchmark\r\n";
    if (!location.empty())
        text += "Location: " + location + "\r\n";
    text += "\r\n";
    return head ? text : text + body;
}

} // namespace

HostsServer::HostsServer(std::vector<PlannedLink> plan, int hosts, int firstOctet)
    : plan_(std::move(plan)), hosts_(hosts), firstOctet_(firstOctet)
{
}

HostsServer::~HostsServer()
{
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        if (write(wake_, &one, sizeof one) == sizeof one)
            thread_.join();
        else
            thread_.detach();
    }
    for (auto& [fd, connection] : connections_)
        close(fd);
    closeAll();
}

bool HostsServer::start()
{
    epoll_ = epoll_create1(EPOLL_CLOEXEC);
    wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (epoll_ < 0 || wake_ < 0)
        return false;
    bool bound = false;
    for (int tries = 0; tries < PortTries && !bound; ++tries)
        bound = bindAll();
    if (!bound)
        return false;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = wake_;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &event);
    for (int fd : listeners_) {
        event.data.fd = fd;
        if (listen(fd, 4096) != 0 || epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) != 0)
            return false;
    }
    thread_ = std::thread([this] { serve(); });
    return true;
}

// The first address picks a free port; every other address must get the same
// one, or all are let go and another port is tried.
bool HostsServer::bindAll()
{
    int port = 0;
    closeEach(listeners_);
    closeEach(closedSockets_);
    closedPorts_.clear();
    for (int host = 0; host < hosts_; ++host) {
        const int fd = boundSocket(address(host), port);
        if (fd < 0)
            return false;
        listeners_.push_back(fd);
        if (host == 0)
            port = port_ = portOf(fd);
        const int closed = boundSocket(address(host), 0);
        if (closed < 0)
            return false;
        closedSockets_.push_back(closed);
        closedPorts_.push_back(portOf(closed));
    }
    return true;
}

void HostsServer::closeAll()
{
    closeEach(listeners_);
    closeEach(closedSockets_);
    if (wake_ >= 0)
        close(wake_);
    if (epoll_ >= 0)
        close(epoll_);
    wake_ = epoll_ = -1;
}

std::string HostsServer::address(int host) const
{
    return "127.0.0." + std::to_string(firstOctet_ + host);
}

std::string HostsServer::linkFor(int index) const
{
    const PlannedLink& link = plan_[std::size_t(index)];
    const int port =
        link.answer == PlannedAnswer::Refused ? closedPorts_[std::size_t(link.host)] : port_;
    return "http://" + address(link.host) + ":" + std::to_string(port) + "/link/" +
           std::to_string(index);
}

std::vector<std::string> HostsServer::links() const
{
    std::vector<std::string> all;
    for (int i = 0; i < int(plan_.size()); ++i)
        all.push_back(linkFor(i));
    return all;
}

std::string HostsServer::pageUrl() const
{
    return "http://" + address(0) + ":" + std::to_string(port_) + "/links.html";
}

bool HostsServer::waitUntilIdle(std::chrono::milliseconds limit) const
{
    const auto end = Clock::now() + limit;
    while (openConnections_ > 0) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::vector<ServedRequest> HostsServer::requests() const
{
    const std::lock_guard lock(mutex_);
    return served_;
}

void HostsServer::clearRequests()
{
    const std::lock_guard lock(mutex_);
    served_.clear();
}

double HostsServer::wallSeconds() const
{
    const std::lock_guard lock(mutex_);
    if (served_.empty())
        return 0;
    auto first = served_.front().arrived;
    auto last = served_.front().answered;
    for (const ServedRequest& request : served_) {
        first = std::min(first, request.arrived);
        last = std::max(last, request.answered);
    }
    return std::chrono::duration<double>(last - first).count();
}

double HostsServer::firstAnswersSeconds() const
{
    const std::lock_guard lock(mutex_);
    if (served_.empty())
        return 0;
    auto first = served_.front().arrived;
    std::unordered_map<std::string, Clock::time_point> firstAnswers;
    for (const ServedRequest& request : served_) {
        first = std::min(first, request.arrived);
        const auto [place, added] = firstAnswers.emplace(request.target, request.answered);
        if (!added)
            place->second = std::min(place->second, request.answered);
    }
    auto last = first;
    for (const auto& [target, answered] : firstAnswers)
        last = std::max(last, answered);
    return std::chrono::duration<double>(last - first).count();
}

std::vector<int> HostsServer::linksNotAsked() const
{
    std::set<int> asked;
    for (const ServedRequest& request : requests())
        asked.insert(indexAfter(request.target, "/link/"));
    std::vector<int> missing;
    for (int i = 0; i < int(plan_.size()); ++i) {
        if (plan_[std::size_t(i)].answer != PlannedAnswer::Refused && !asked.contains(i))
            missing.push_back(i);
    }
    return missing;
}

void HostsServer::serve()
{
    epoll_event events[256];
    for (;;) {
        int timeout = -1;
        if (!timers_.empty()) {
            const auto wait = timers_.top().due - Clock::now();
            // Rounded up, so the loop never spins on a timer not yet due.
            timeout = int(
                std::max<long long>(0, std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
        }
        const int count = epoll_wait(epoll_, events, 256, timeout);
        for (int i = 0; i < count; ++i) {
            const int fd = events[i].data.fd;
            if (fd == wake_)
                return;
            if (std::find(listeners_.begin(), listeners_.end(), fd) != listeners_.end()) {
                accept(fd);
                continue;
            }
            const auto found = connections_.find(fd);
            if (found == connections_.end())
                continue;
            if (events[i].events & EPOLLOUT)
                writeTo(found->second);
            else
                readFrom(found->second);
        }
        while (!timers_.empty() && timers_.top().due <= Clock::now()) {
            const Timer timer = timers_.top();
            timers_.pop();
            const auto found = connections_.find(timer.fd);
            if (found != connections_.end() && found->second.serial == timer.serial)
                writeTo(found->second);
        }
    }
}

void HostsServer::accept(int listener)
{
    for (;;) {
        const int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = fd;
        epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event);
        ++openConnections_;
        Connection& connection = connections_[fd];
        connection = Connection{};
        connection.fd = fd;
        connection.serial = nextSerial_++;
    }
}

void HostsServer::readFrom(Connection& connection)
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(connection.fd, buffer, sizeof buffer);
        if (got > 0) {
            connection.input.append(buffer, std::size_t(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            break;
        // The client went away before its answer: nothing more to do.
        drop(connection.fd);
        return;
    }
    if (connection.headRead)
        return;
    const std::size_t end = connection.input.find("\r\n\r\n");
    if (end == std::string::npos) {
        if (connection.input.size() > LongestHead)
            drop(connection.fd);
        return;
    }
    connection.headRead = true;
    connection.request.arrived = Clock::now();
    const std::string line = connection.input.substr(0, connection.input.find("\r\n"));
    const std::size_t space = line.find(' ');
    const std::string method = line.substr(0, space);
    const std::size_t targetStart = space == std::string::npos ? line.size() : space + 1;
    connection.request.target = line.substr(targetStart, line.find(' ', targetStart) - targetStart);
    std::chrono::milliseconds delay{0};
    connection.output = responseFor(method, connection, delay);
    timers_.push({connection.request.arrived + delay, connection.fd, connection.serial});
}

std::string HostsServer::responseFor(const std::string& method, Connection& connection,
                                     std::chrono::milliseconds& delay) const
{
    const bool head = method == "HEAD";
    const std::string& target = connection.request.target;
    if (target == "/links.html") {
        connection.recorded = false;
        connection.request.status = 200;
        return response(head, 200, "text/html; charset=utf-8", LinkPageHtml(links()));
    }
    const int moved = indexAfter(target, "/moved/");
    const int index = indexAfter(target, "/link/");
    if (moved < 0 && (index < 0 || index >= int(plan_.size()))) {
        connection.request.status = 404;
        return response(head, 404, "text/plain", "no such page");
    }
    if (moved >= 0) {
        connection.request.status = 200;
        return response(head, 200, "text/plain", "alive");
    }
    const PlannedLink& link = plan_[std::size_t(index)];
    delay = std::chrono::milliseconds(link.latencyMs);
    const int status = statusOf(link.answer);
    connection.request.status = status;
    const std::string location = status == 302
                                     ? "http://" + address(link.host) + ":" +
                                           std::to_string(port_) + "/moved/" + std::to_string(index)
                                     : std::string();
    return response(head, status, "text/plain", status == 200 ? "alive" : "not here", location);
}

void HostsServer::writeTo(Connection& connection)
{
    while (connection.sent < connection.output.size()) {
        const ssize_t put = send(connection.fd, connection.output.data() + connection.sent,
                                 connection.output.size() - connection.sent, MSG_NOSIGNAL);
        if (put > 0) {
            connection.sent += std::size_t(put);
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && errno == EAGAIN) {
            epoll_event event{};
            event.events = EPOLLIN | EPOLLOUT;
            event.data.fd = connection.fd;
            epoll_ctl(epoll_, EPOLL_CTL_MOD, connection.fd, &event);
            return;
        }
        drop(connection.fd);
        return;
    }
    if (connection.recorded) {
        connection.request.answered = Clock::now();
        const std::lock_guard lock(mutex_);
        served_.push_back(connection.request);
    }
    drop(connection.fd);
}

void HostsServer::drop(int fd)
{
    epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
    close(fd);
    if (connections_.erase(fd))
        --openConnections_;
}
