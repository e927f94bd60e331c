#pragma once

#include <QString>

// How a bookmark's link is opened. http, https and mailto go to the desktop
// at once, as does a text without a scheme that names a host
// ("www.example.org/page"): browsers take that for a web address, so it goes
// with "http://" in front. Any other scheme, and a bare path, may start a
// program or a script, so the user is asked first.
struct LinkOpening
{
    QString target;      // what the opener is given
    QString askedScheme; // the scheme the user is asked about; empty: no question
};

LinkOpening PlanLinkOpening(const QString& link);

// The scheme a link is written with, in lower case ("http" for "HTTP://x");
// empty for one written without any, such as "www.example.org:8080/page",
// which a browser takes for a web address.
QString LinkScheme(const QString& link);
