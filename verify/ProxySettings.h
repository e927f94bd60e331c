#pragma once

#include <QString>

// A value copy of the Options dialog's proxy controls, taken on the main
// thread when a probe starts, so the worker never reads a widget.
struct ProxySettings
{
    bool useProxy = false;
    QString address;
    QString port;
};
