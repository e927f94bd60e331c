#include "ScriptedServer.h"

#include "LoopbackPort.h"
#include "ScriptedConnection.h"

#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

ScriptedServer::ScriptedServer(Script script) : script_(std::move(script))
{
    listener_ = listenOnLoopback(&port_);
    if (listener_ < 0 || pipe2(wakePipe_, O_CLOEXEC) != 0) {
        if (listener_ >= 0)
            close(listener_);
        throw std::runtime_error("scripted server could not start");
    }
    acceptor_ = std::thread([this] { acceptLoop(); });
}

ScriptedServer::~ScriptedServer()
{
    stop();
    close(listener_);
    close(wakePipe_[0]);
    close(wakePipe_[1]);
}

std::string ScriptedServer::url(const std::string& path, const std::string& scheme) const
{
    return scheme + "://127.0.0.1:" + std::to_string(port_) + path;
}

void ScriptedServer::stop()
{
    {
        const std::lock_guard lock(mutex_);
        if (joined_)
            return;
        stopping_ = true;
        // Unblocks scripts sitting in recv or send on a client that stays.
        for (const int socket : openSockets_)
            shutdown(socket, SHUT_RDWR);
    }
    stopSignal_.notify_all();
    const char wake = 0;
    [[maybe_unused]] const auto written = write(wakePipe_[1], &wake, 1);
    acceptor_.join();
    for (std::thread& worker : workers_)
        worker.join();
    const std::lock_guard lock(mutex_);
    joined_ = true;
}

bool ScriptedServer::waitForStop(std::chrono::milliseconds bound) const
{
    std::unique_lock lock(mutex_);
    return stopSignal_.wait_for(lock, bound, [this] { return stopping_; });
}

void ScriptedServer::acceptLoop()
{
    for (;;) {
        pollfd watched[2] = {{listener_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (poll(watched, 2, -1) < 0)
            continue;
        if (watched[1].revents)
            return;
        const int socket = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0)
            continue;
        const std::lock_guard lock(mutex_);
        if (stopping_) {
            close(socket);
            return;
        }
        openSockets_.insert(socket);
        accepted_.fetch_add(1);
        workers_.emplace_back([this, socket] { serve(socket); });
    }
}

void ScriptedServer::serve(int socket)
{
    {
        ScriptedConnection connection(socket, *this);
        script_(connection);
    }
    // Closing with request bytes unread would send a reset that can overtake
    // the answer, so the client gets a plain end of stream and is read out
    // until it closes (or stop() cuts it).
    shutdown(socket, SHUT_WR);
    char drain[4096];
    while (recv(socket, drain, sizeof drain, 0) > 0) {
    }
    const std::lock_guard lock(mutex_);
    openSockets_.erase(socket);
    close(socket);
}
