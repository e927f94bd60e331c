#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

// The shape of a generated Favorites folder: top-level folders, each holding
// sub-folders, and the same number of shortcuts in every folder.
struct FavoritesLayout
{
    int topFolders = 50;
    int subFolders = 99; // in each top-level folder
    int linksPerFolder = 20;

    int folders() const { return topFolders * (1 + subFolders); }
    int links() const { return folders() * linksPerFolder; }
};

struct GeneratedFavorites
{
    int folders = 0;
    int links = 0;
    std::uint64_t bytes = 0; // of all shortcut files
};

// The URL of link number index (0-based, in the order the files are made).
using LinkSource = std::function<std::string(int index)>;

// Makes the folder tree at favorites (which must not exist yet). Names mix
// English and Cyrillic words; each shortcut is a complete CRLF file of the
// kind Internet Explorer writes. The same layout and source give the same
// tree byte for byte.
GeneratedFavorites GenerateFavorites(const std::filesystem::path& favorites,
                                     const FavoritesLayout& layout, const LinkSource& linkFor);

// A web address of 40 to 80 characters, different for every index.
std::string WebLinkFor(int index);

// The bytes of one shortcut file for url.
std::string ShortcutFileText(const std::string& url);
