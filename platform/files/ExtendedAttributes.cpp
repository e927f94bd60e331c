#include "ExtendedAttributes.h"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include <sys/xattr.h>

namespace {

// The names of from's attributes, each ended by a NUL; empty when it has
// none or its file system keeps none.
bool listNames(int from, std::vector<char>& names)
{
    for (;;) {
        const ssize_t size = ::flistxattr(from, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP;
        names.resize(size_t(size));
        if (size == 0)
            return true;
        const ssize_t listed = ::flistxattr(from, names.data(), names.size());
        if (listed >= 0) {
            names.resize(size_t(listed));
            return true;
        }
        if (errno != ERANGE) // ERANGE: the list grew meanwhile
            return false;
    }
}

bool copyOne(int from, int to, const char* name)
{
    std::vector<char> value;
    for (;;) {
        const ssize_t size = ::fgetxattr(from, name, nullptr, 0);
        if (size < 0)
            return errno == ENODATA; // removed meanwhile
        value.resize(size_t(size));
        const ssize_t read = ::fgetxattr(from, name, value.data(), value.size());
        if (read >= 0) {
            value.resize(size_t(read));
            break;
        }
        if (errno != ERANGE)
            return errno == ENODATA;
    }
    return ::fsetxattr(to, name, value.data(), value.size(), 0) == 0;
}

} // namespace

bool CopyUserAttributes(int from, int to)
{
    std::vector<char> names;
    if (!listNames(from, names))
        return false;
    for (size_t at = 0; at < names.size();) {
        const char* name = names.data() + at;
        at += std::strlen(name) + 1;
        if (std::string_view(name).starts_with("user.") && !copyOne(from, to, name))
            return false;
    }
    return true;
}
