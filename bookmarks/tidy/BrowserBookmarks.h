#pragma once

#include <QByteArray>
#include <QString>
#include <filesystem>

class BookmarkModel;

// The tree below its root entry in the HTML bookmarks file that every
// browser imports, in UTF-8. Folders are written as the tree shows them,
// those reached through a folder link included, since the person sees them
// as part of the Favorites; the root's "Links" is the toolbar folder, as
// Internet Explorer's own export marks it. Links that are not web links are
// kept as they are; with leaveOutDead the links judged dead are left out.
QByteArray BrowserBookmarksHtml(const BookmarkModel& tree, bool leaveOutDead);

// Writes that file atomically; on failure *error (if given) says why.
bool SaveBrowserBookmarks(const BookmarkModel& tree, bool leaveOutDead,
                          const std::filesystem::path& file, QString* error = nullptr);
