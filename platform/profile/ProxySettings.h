#pragma once

#include <QString>

// How link checks reach the web. The run's worker reads a shared copy that
// the main thread refreshes on every change of the Options controls, so no
// widget is ever read off the main thread.
struct ProxySettings
{
    bool useProxy = false;
    QString address;
    QString port = QStringLiteral("80");
};
