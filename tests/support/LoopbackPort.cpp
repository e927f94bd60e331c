#include "LoopbackPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in loopbackAddress(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

int bindToLoopback(int* port)
{
    const int bound = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (bound < 0)
        return -1;
    sockaddr_in address = loopbackAddress(0);
    socklen_t length = sizeof address;
    if (bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(bound, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(bound);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return bound;
}

int listenOnLoopback(int* port)
{
    const int listener = bindToLoopback(port);
    if (listener >= 0 && listen(listener, 16) != 0) {
        close(listener);
        return -1;
    }
    return listener;
}

int unusedLoopbackPort()
{
    int port = -1;
    const int bound = bindToLoopback(&port);
    if (bound >= 0)
        close(bound);
    return port;
}

bool acceptsConnections(int port)
{
    const int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (client < 0)
        return false;
    const sockaddr_in address = loopbackAddress(port);
    const bool connected =
        connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(client);
    return connected;
}
