#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class ScriptedServer;

// The server's side of one connection, as a script of ScriptedServer sees it.
// Every call returns early once the peer has gone or the server stops.
class ScriptedConnection final
{
public:
    ScriptedConnection(int socket, const ScriptedServer& server);
    ScriptedConnection(const ScriptedConnection&) = delete;
    ScriptedConnection& operator=(const ScriptedConnection&) = delete;

    // Reads one request head (up to its blank line) and returns the target
    // of its request line; nothing when the peer closed first or sent no
    // sound head.
    std::optional<std::string> readRequest();
    // Whatever bytes arrive next; empty when the peer has closed.
    std::string readSome();
    // Sends all of bytes; false when the peer or the server went away.
    bool send(std::string_view bytes);
    // Waits for duration unless the server stops; false when it stopped.
    bool pause(std::chrono::milliseconds duration) const;

    std::uint64_t bytesSent() const { return sent_; }

private:
    int socket_;
    const ScriptedServer& server_;
    std::string pending_; // read but not yet consumed
    std::uint64_t sent_ = 0;
};
