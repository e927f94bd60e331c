#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Sets or removes environment variables for the life of the object and puts
// back what was there before.
class ScopedEnvironment final
{
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void set(const std::string& name, const std::string& value);
    void unset(const std::string& name);

private:
    void remember(const std::string& name);

    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
