#include "SilentServer.h"

#include "ScriptedConnection.h"

#include <chrono>
#include <thread>

// Each connection is held open, unread and unanswered, until the server stops.
SilentServer::SilentServer()
    : server_([](ScriptedConnection& connection) { connection.pause(std::chrono::hours(1)); })
{
}

bool SilentServer::waitForConnection() const
{
    for (int tries = 0; tries < 3000 && acceptedCount() == 0; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return acceptedCount() > 0;
}
