#include "ScriptedConnection.h"

#include "ScriptedServer.h"

#include <cerrno>
#include <sys/socket.h>

namespace {

// A client that never ends its request head must not make the server grow.
const size_t MaxRequestHead = 64 * 1024;

// Appends what arrives next to buffer; false on close or error.
bool receiveInto(int socket, std::string& buffer)
{
    char chunk[16 * 1024];
    for (;;) {
        const ssize_t got = recv(socket, chunk, sizeof chunk, 0);
        if (got > 0) {
            buffer.append(chunk, size_t(got));
            return true;
        }
        if (got < 0 && errno == EINTR)
            continue;
        return false;
    }
}

std::optional<std::string> targetOf(const std::string& head)
{
    const std::string line = head.substr(0, head.find("\r\n"));
    const size_t first = line.find(' ');
    const size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
    if (second == std::string::npos)
        return std::nullopt;
    return line.substr(first + 1, second - first - 1);
}

} // namespace

ScriptedConnection::ScriptedConnection(int socket, const ScriptedServer& server)
    : socket_(socket), server_(server)
{
}

std::optional<std::string> ScriptedConnection::readRequest()
{
    for (;;) {
        const size_t end = pending_.find("\r\n\r\n");
        if (end != std::string::npos) {
            const std::string head = pending_.substr(0, end);
            pending_.erase(0, end + 4);
            return targetOf(head);
        }
        if (pending_.size() > MaxRequestHead || !receiveInto(socket_, pending_))
            return std::nullopt;
    }
}

std::string ScriptedConnection::readSome()
{
    if (pending_.empty())
        receiveInto(socket_, pending_);
    std::string taken;
    taken.swap(pending_);
    return taken;
}

bool ScriptedConnection::send(std::string_view bytes)
{
    while (!bytes.empty()) {
        // MSG_NOSIGNAL: a client that hung up must not kill the test with SIGPIPE.
        const ssize_t put = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        sent_ += std::uint64_t(put);
        bytes.remove_prefix(size_t(put));
    }
    return true;
}

bool ScriptedConnection::pause(std::chrono::milliseconds duration) const
{
    return !server_.waitForStop(duration);
}
