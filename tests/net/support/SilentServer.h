#pragma once

#include "ScriptedServer.h"

// A TCP server on 127.0.0.1 that accepts every connection and never sends a
// byte, the way a hung web server looks to a client.
class SilentServer final
{
public:
    SilentServer();

    int port() const { return server_.port(); }
    int acceptedCount() const { return server_.acceptedCount(); }
    // Waits (bounded, so a broken client cannot hang the test) until at least
    // one connection has been accepted; returns whether one was.
    bool waitForConnection() const;

private:
    ScriptedServer server_;
};
