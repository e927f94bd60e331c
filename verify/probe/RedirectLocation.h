#pragma once

#include <QByteArray>
#include <QByteArrayView>

// How a redirect's Location value (folded lines joined, line ends kept) is
// to be followed. libcurl refuses a value with a control byte inside, and
// reads it only up to a CR or the end of its first line; a browser drops
// every TAB, LF and CR (and controls and blanks at either end) and follows
// the rest, and gives up only on other control bytes.
struct RedirectLocation
{
    enum class Kind : quint8
    {
        AsSent,    // libcurl reads it as a browser does
        Cleaned,   // to be followed as target, those characters removed
        Malformed, // no browser would follow it
    };
    Kind kind = Kind::AsSent;
    QByteArray target; // of Cleaned
};

RedirectLocation ReadRedirectLocation(QByteArrayView value);

// target resolved against the address of the answer that named it, as
// libcurl resolves a redirect; empty when the two make no URL.
QByteArray ResolvedRedirect(const char* base, const QByteArray& target);
