#pragma once

// A TCP socket bound to 127.0.0.1 at a port the system picks, not listening;
// the port is stored in *port. Returns the socket, or -1.
int bindToLoopback(int* port);

// A listening TCP socket on 127.0.0.1 at a port the system picks; the port is
// stored in *port. Returns the socket, or -1.
int listenOnLoopback(int* port);

// A port on 127.0.0.1 that was free a moment ago (picked by the system, then
// released), for a program that must bind it itself; anything else may take it
// meanwhile. A test wanting refused connections holds a RefusingPort instead.
int unusedLoopbackPort();

// Whether a TCP connection to 127.0.0.1:port succeeds now.
bool acceptsConnections(int port);
