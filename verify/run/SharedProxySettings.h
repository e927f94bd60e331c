#pragma once

#include "ProxySettings.h"

#include <mutex>

// The proxy settings as a worker reads them when a probe starts: a copy that
// the main thread refreshes on every change of the Options controls, so a
// change applies from the next probe on and no widget is read off its thread.
class SharedProxySettings final
{
public:
    SharedProxySettings() = default;
    explicit SharedProxySettings(ProxySettings initial) : value_(std::move(initial)) {}

    void set(const ProxySettings& value)
    {
        const std::lock_guard lock(mutex_);
        value_ = value;
    }
    ProxySettings get() const
    {
        const std::lock_guard lock(mutex_);
        return value_;
    }

private:
    mutable std::mutex mutex_;
    ProxySettings value_;
};
