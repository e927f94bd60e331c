#pragma once

#include <QRect>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// What the main window remembers between runs. Each part is absent until it
// was saved once, and then the window opens as it was first laid out.
struct WindowState
{
    // The frame's position with the client area's size.
    std::optional<QRect> geometry;
    // Name, Link and Status, in pixels.
    std::optional<std::array<int, 3>> columnWidths;
    // Open folders by their path below the Favorites folder ("." is the
    // folder itself), so a folder renamed since is simply not found.
    std::optional<QStringList> expandedFolders;
    // The Favorites folder those belong to; absent in a list saved before
    // lists named their folder.
    std::optional<QString> expandedFavorites;
    // The Favorites folder last chosen in the window, shown at the next start
    // unless the command line names one.
    std::optional<QString> chosenFavorites;
};
