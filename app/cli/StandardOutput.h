#pragma once

#include <QByteArrayView>

// The exit status of a run whose standard output could not be written.
constexpr int WriteFailedStatus = 3;

// Writes bytes to standard output and flushes them, so that a reader sees
// each line as soon as it is made. 0 when they went out, else the error
// number of the failure (ENOSPC on a full disk, EPIPE when the reader has
// gone and SIGPIPE is ignored, EBADF when standard output was closed).
int WriteStandardOutput(QByteArrayView bytes);

// Writes the one line on standard error that tells why the output stopped;
// gives WriteFailedStatus, the exit status that goes with it.
int ReportWriteFailure(int error);
