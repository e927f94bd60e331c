#pragma once

#include <cstdlib>
#include <optional>
#include <string>

// Points the locale variables at one locale (LANG, with LC_ALL and LC_CTYPE
// unset) for the life of the object, then puts back what was there.
class ScopedLocale final
{
public:
    explicit ScopedLocale(const char* lang)
    {
        for (Saved& saved : saved_) {
            if (const char* value = std::getenv(saved.name))
                saved.value = value;
            ::unsetenv(saved.name);
        }
        ::setenv("LANG", lang, 1);
    }
    ~ScopedLocale()
    {
        for (const Saved& saved : saved_) {
            if (saved.value)
                ::setenv(saved.name, saved.value->c_str(), 1);
            else
                ::unsetenv(saved.name);
        }
    }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    struct Saved
    {
        const char* name;
        std::optional<std::string> value;
    };
    Saved saved_[3] = {{"LC_ALL", {}}, {"LC_CTYPE", {}}, {"LANG", {}}};
};
