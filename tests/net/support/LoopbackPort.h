#pragma once

// A listening TCP socket on 127.0.0.1 at a port the system picks; the port is
// stored in *port. Returns the socket, or -1.
int listenOnLoopback(int* port);

// A port on 127.0.0.1 where nothing listens right now (picked by the system,
// then released).
int unusedLoopbackPort();

// Whether a TCP connection to 127.0.0.1:port succeeds now.
bool acceptsConnections(int port);
