#include "SilentServer.h"

#include "LoopbackPort.h"

#include <chrono>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

SilentServer::SilentServer()
{
    listener_ = listenOnLoopback(&port_);
    if (listener_ < 0 || pipe(wakePipe_) != 0)
        throw std::runtime_error("silent server could not start");
    thread_ = std::thread([this] { acceptLoop(); });
}

SilentServer::~SilentServer()
{
    const char wake = 0;
    [[maybe_unused]] const auto written = write(wakePipe_[1], &wake, 1);
    thread_.join();
    for (const int connection : connections_)
        close(connection);
    close(listener_);
    close(wakePipe_[0]);
    close(wakePipe_[1]);
}

bool SilentServer::waitForConnection() const
{
    for (int tries = 0; tries < 3000 && accepted_.load() == 0; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return accepted_.load() > 0;
}

void SilentServer::acceptLoop()
{
    for (;;) {
        pollfd watched[2] = {{listener_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (poll(watched, 2, -1) < 0)
            continue;
        if (watched[1].revents)
            return;
        const int connection = accept(listener_, nullptr, nullptr);
        if (connection < 0)
            continue;
        // Kept open and unread until the server goes away.
        connections_.push_back(connection);
        accepted_.fetch_add(1);
    }
}
