#pragma once

// The process's file descriptors as a whole: how many it may open, how many
// are left, and the three standard ones.

// Raises the soft limit on open files to the hard one, so that a run of many
// probes is bounded by what the system allows rather than by a default kept
// low for select(); the program itself never uses select(). False when the
// limit could not be changed.
bool RaiseOpenFilesLimit();

// How many more descriptors this process may open under its soft limit.
int FreeFileDescriptors();

// Puts read-only /dev/null on each of descriptors 0, 1 and 2 that is closed.
// No file opened later can then take such a number: a report written to a
// closed standard output fails with EBADF, as it would have, instead of
// landing in a settings file or a server's socket.
void OccupyClosedStandardStreams();
