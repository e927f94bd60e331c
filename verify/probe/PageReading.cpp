#include "PageReading.h"

PageReading::PageReading(QByteArrayView contentType, QStringView linkHost,
                         const QStringList& redirectHosts)
    : sniffer_(contentType, linkHost, redirectHosts),
      deadline_(std::chrono::steady_clock::now() + TimeLimit)
{
}

bool PageReading::take(QByteArrayView chunk)
{
    return !timeIsUp() && sniffer_.feed(chunk);
}

bool PageReading::timeIsUp() const
{
    return std::chrono::steady_clock::now() >= deadline_;
}
