#include "ScopedEnvironment.h"

#include <cstdlib>

ScopedEnvironment::~ScopedEnvironment()
{
    // Newest first, so a variable touched twice ends with its first value.
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second)
            setenv(it->first.c_str(), it->second->c_str(), 1);
        else
            unsetenv(it->first.c_str());
    }
}

void ScopedEnvironment::set(const std::string& name, const std::string& value)
{
    remember(name);
    setenv(name.c_str(), value.c_str(), 1);
}

void ScopedEnvironment::unset(const std::string& name)
{
    remember(name);
    unsetenv(name.c_str());
}

void ScopedEnvironment::remember(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
}
