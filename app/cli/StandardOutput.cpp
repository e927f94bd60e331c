#include "StandardOutput.h"

#include <QByteArray>
#include <cerrno>
#include <cstdio>
#include <cstring>

int WriteStandardOutput(QByteArrayView bytes)
{
    errno = 0;
    // An empty header (text and JSON have none) still flushes, but hands
    // fwrite no null pointer.
    if (bytes.isEmpty())
        return std::fflush(stdout) == 0 ? 0 : (errno != 0 ? errno : EIO);
    const size_t written = std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout);
    if (written == size_t(bytes.size()) && std::fflush(stdout) == 0)
        return 0;
    // stdio sets errno for a failed write; the fallback only guards a
    // library that would not.
    return errno != 0 ? errno : EIO;
}

int ReportWriteFailure(int error)
{
    const QByteArray text =
        QByteArray("orvanta: cannot write to standard output: ") + std::strerror(error) + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
    return WriteFailedStatus;
}
