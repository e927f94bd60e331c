#include "PathUtils.h"

#include <filesystem>

namespace {

constexpr char NativeSeparator = char(std::filesystem::path::preferred_separator);

bool isSeparator(char c)
{
#ifdef _WIN32
    return c == '/' || c == '\\' || c == ':';
#else
    return c == '/';
#endif
}

// Position of the last separator, or npos.
std::string::size_type lastSeparator(const std::string& path)
{
    for (auto i = path.size(); i > 0; --i) {
        if (isSeparator(path[i - 1]))
            return i - 1;
    }
    return std::string::npos;
}

} // namespace

std::string DirectoryPart(const std::string& path)
{
    const auto pos = lastSeparator(path);
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string FileNamePart(const std::string& path)
{
    const auto pos = lastSeparator(path);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string NameWithoutExtension(const std::string& name)
{
    for (auto i = name.size(); i > 0; --i) {
        const char c = name[i - 1];
        if (c == '.')
            return name.substr(0, i - 1);
        if (isSeparator(c))
            break; // a dot in a folder name is no extension
    }
    return name;
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    std::string path;
    path.reserve(dir.size() + 1 + name.size());
    path += dir;
    if (path.empty() || path.back() != NativeSeparator)
        path += NativeSeparator;
    path += name;
    return path;
}

std::string WithoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && path.back() == NativeSeparator)
        path.pop_back();
    return path;
}

QString ExtractField(const QString& text, QChar separator, int n)
{
    int i = 1;
    QString field;
    qsizetype start = 0;
    while (i <= n) {
        const qsizetype pos = text.indexOf(separator, start);
        if (pos < 0) {
            field = text.mid(start);
            break;
        }
        field = text.mid(start, pos - start);
        start = pos + 1;
        ++i;
    }
    return i < n ? QString() : field;
}
