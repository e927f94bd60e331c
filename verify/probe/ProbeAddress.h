#pragma once

#include <QByteArray>
#include <QString>

// The link as it goes on the wire: printable ASCII unchanged; blanks, control
// characters and every non-ASCII character percent-encoded (as UTF-8), since
// libcurl refuses a URL that holds them raw.
QByteArray LinkTo8Bit(const QString& link);

// The link after the "http://" rule: one without "http" anywhere (letter
// case ignored) gets "http://" in front.
QByteArray RequestedUrl(const QString& link);

// The host and port the link's request goes to, lower-cased ("example.org:80"),
// so links to one server are counted together; empty when the link is no URL.
QString ProbeHost(const QString& link);

// The host and port a URL names, lower-cased; empty when it is no URL.
QString HostKey(const QByteArray& address);

// What the probe needs to know of a link before it asks for it.
struct LinkShape
{
    bool usable = false;
    bool hasUser = false;
};

// libcurl would guess "http" for a link without a scheme; such a link is not
// a URL and must stay dead, so it is parsed here without guessing first.
LinkShape ShapeOf(const QByteArray& link);

// A copy lowered in A-Z only; nothing else of the text may change.
QByteArray AsciiLower(const QByteArray& text);
