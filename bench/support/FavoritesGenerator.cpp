#include "FavoritesGenerator.h"

#include <array>
#include <cstdio>
#include <stdexcept>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 24> EnglishWords = {
    "news",    "travel", "weather", "recipes", "music",   "cinema", "science", "garden",
    "finance", "sports", "books",   "photo",   "history", "maps",   "health",  "design",
    "coding",  "games",  "market",  "museum",  "library", "radio",  "school",  "auto"};

// Real Favorites folders from Russian users mix scripts; these keep the
// names' UTF-8 from being plain ASCII.
constexpr std::array<std::string_view, 8> CyrillicWords = {"Новости", "Погода", "Почта",  "Музыка",
                                                           "Книги",   "Карты",  "Работа", "Кино"};

// A well-mixed number per index, so the tree looks irregular yet is the
// same on every run.
std::uint64_t mix(std::uint64_t value)
{
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

std::string_view englishWord(std::uint64_t seed)
{
    return EnglishWords[seed % EnglishWords.size()];
}

std::string_view anyWord(std::uint64_t seed)
{
    if (seed % 5 == 0)
        return CyrillicWords[(seed / 5) % CyrillicWords.size()];
    return englishWord(seed / 5);
}

std::string capitalised(std::string_view word)
{
    std::string text(word);
    if (!text.empty() && text.front() >= 'a' && text.front() <= 'z')
        text.front() = char(text.front() - 'a' + 'A');
    return text;
}

std::string folderName(int index)
{
    const std::uint64_t seed = mix(std::uint64_t(index) + 1000000);
    return capitalised(anyWord(seed)) + ' ' + std::string(anyWord(seed >> 20)) + ' ' +
           std::to_string(index);
}

std::string linkFileName(int index)
{
    const std::uint64_t seed = mix(std::uint64_t(index));
    return capitalised(anyWord(seed)) + " and " + std::string(anyWord(seed >> 16)) + " - " +
           capitalised(englishWord(seed >> 32)) + ' ' + std::to_string(index) + ".url";
}

// Scheme and host of a URL, for the icon line.
std::string siteOf(const std::string& url)
{
    const size_t schemeEnd = url.find("://");
    const size_t hostEnd =
        schemeEnd == std::string::npos ? std::string::npos : url.find('/', schemeEnd + 3);
    return url.substr(0, hostEnd);
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot create " + path.string());
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written)
        throw std::runtime_error("cannot write " + path.string());
}

class Generator final
{
public:
    Generator(const FavoritesLayout& layout, const LinkSource& linkFor)
        : layout_(layout), linkFor_(linkFor)
    {
    }

    GeneratedFavorites run(const std::filesystem::path& favorites)
    {
        if (!std::filesystem::create_directory(favorites))
            throw std::runtime_error(favorites.string() + " exists already");
        for (int top = 0; top < layout_.topFolders; ++top) {
            const std::filesystem::path topPath = makeFolder(favorites);
            for (int sub = 0; sub < layout_.subFolders; ++sub)
                addLinks(makeFolder(topPath));
            addLinks(topPath);
        }
        return made_;
    }

private:
    std::filesystem::path makeFolder(const std::filesystem::path& parent)
    {
        std::filesystem::path path = parent / folderName(made_.folders);
        std::filesystem::create_directory(path);
        ++made_.folders;
        return path;
    }

    void addLinks(const std::filesystem::path& folder)
    {
        for (int i = 0; i < layout_.linksPerFolder; ++i) {
            const std::string text = ShortcutFileText(linkFor_(made_.links));
            writeFile(folder / linkFileName(made_.links), text);
            made_.bytes += text.size();
            ++made_.links;
        }
    }

    const FavoritesLayout& layout_;
    const LinkSource& linkFor_;
    GeneratedFavorites made_;
};

} // namespace

GeneratedFavorites GenerateFavorites(const std::filesystem::path& favorites,
                                     const FavoritesLayout& layout, const LinkSource& linkFor)
{
    return Generator(layout, linkFor).run(favorites);
}

std::string WebLinkFor(int index)
{
    const std::uint64_t seed = mix(std::uint64_t(index) + 7777777);
    std::string url = "http://www." + std::string(englishWord(seed)) +
                      std::string(englishWord(seed >> 8)) + ".com/" +
                      std::string(englishWord(seed >> 16)) + '/' + std::to_string(index) + ".html";
    const size_t wanted = 40 + size_t((seed >> 24) % 41);
    if (url.size() < wanted) {
        url += "?q=";
        for (std::uint64_t letters = seed; url.size() < wanted; letters = mix(letters))
            url += char('a' + letters % 26);
    }
    return url;
}

std::string ShortcutFileText(const std::string& url)
{
    const std::string lines[] = {"[DEFAULT]",
                                 "BASEURL=" + url,
                                 "[InternetShortcut]",
                                 "URL=" + url,
                                 "Modified=60ADD7B6C5A1D20162",
                                 "IconFile=" + siteOf(url) + "/favicon.ico",
                                 "IconIndex=1"};
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}
