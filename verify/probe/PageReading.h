#pragma once

#include "PageSniffer.h"

#include <QByteArrayView>
#include <QStringList>
#include <QStringView>
#include <chrono>

// The reading of a final HTML answer's body, for what the page says of
// itself: it ends once the sniffer wants no more, or TimeLimit after the
// head, whichever comes first, so a slow body cannot hold a probe.
class PageReading final
{
public:
    static constexpr std::chrono::milliseconds TimeLimit{3000};

    // As PageSniffer's; the time counts from here.
    PageReading(QByteArrayView contentType, QStringView linkHost, const QStringList& redirectHosts);

    // Takes the next bytes of the body; false once no more are wanted.
    bool take(QByteArrayView chunk);
    bool timeIsUp() const;
    // What the page showed of itself in the bytes taken.
    PageSignal signal() const { return sniffer_.signal(); }
    // Where the page sends the browser on by itself, as written.
    std::optional<QString> hop() const { return sniffer_.hop(); }
    quint32 titleKey() const { return sniffer_.titleKey(); }

private:
    PageSniffer sniffer_;
    std::chrono::steady_clock::time_point deadline_;
};
