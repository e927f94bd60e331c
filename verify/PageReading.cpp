#include "PageReading.h"

PageReading::PageReading(QByteArrayView contentType, QStringView linkHost,
                         const QStringList& redirectHosts)
    : inspector_(contentType, linkHost, redirectHosts),
      deadline_(std::chrono::steady_clock::now() + TimeLimit)
{
}

bool PageReading::take(QByteArrayView chunk)
{
    return !timeIsUp() && inspector_.feed(chunk);
}

bool PageReading::timeIsUp() const
{
    return std::chrono::steady_clock::now() >= deadline_;
}
