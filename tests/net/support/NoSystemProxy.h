#pragma once

#include "ScopedEnvironment.h"

// Takes the machine's proxy variables away for the life of the object, so
// probes meant for 127.0.0.1 go there directly.
class NoSystemProxy final
{
public:
    NoSystemProxy()
    {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                 "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
            environment_.unset(name);
    }

private:
    ScopedEnvironment environment_;
};
