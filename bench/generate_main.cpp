// Makes the generated Favorites folder the scan and start-up benchmarks read.

#include "FavoritesGenerator.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s NEW-FAVORITES-FOLDER\n", argv[0]);
        return 2;
    }
    try {
        const GeneratedFavorites made = GenerateFavorites(argv[1], FavoritesLayout{}, &WebLinkFor);
        std::fprintf(stderr, "generated %d folders, %d shortcuts (%llu bytes) in %s\n",
                     made.folders, made.links, static_cast<unsigned long long>(made.bytes),
                     argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
