#include "RefusingPort.h"

#include "LoopbackPort.h"

#include <stdexcept>
#include <unistd.h>

RefusingPort::RefusingPort()
{
    socket_ = bindToLoopback(&port_);
    if (socket_ < 0)
        throw std::runtime_error("cannot bind a socket on 127.0.0.1");
}

RefusingPort::~RefusingPort()
{
    close(socket_);
}

std::string RefusingPort::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}
