#pragma once

#include <QString>
#include <filesystem>
#include <functional>

class BookmarkModel;
class BookmarkNode;
class BookmarkView;
struct DeletionOutcome;
class KeptResults;
class QWidget;

// What deleting needs of the window.
struct DeleteWindow
{
    std::function<bool()> toTrash;              // as the Options dialog says now
    std::function<bool()> reachedNoServer;      // the last run checked links, no server answered
    std::function<void()> changed;              // the counts and the find bar brought up to date
    std::function<void(const QString&)> notice; // the third status panel
    QWidget* window;                            // over which boxes open
    // Config.ini's RemoveEmptyFolders: offer the folders a deletion emptied
    // for deletion too; none counts as on.
    std::function<bool()> removeEmptyFolders = {};
};

// Deleting bookmarks: the selected rows (the Delete key, the context menu)
// and every dead link ("Delete all dead links"), each after asking, and
// then, after a second question, the folders that left empty.
class DeleteActions
{
public:
    DeleteActions(BookmarkView& view, KeptResults& results, const std::filesystem::path& favorites,
                  DeleteWindow window);

    // The links restsOnVerdict picks go only while their shortcuts are what
    // the run judged.
    void deleteSelection(const std::function<bool(const BookmarkNode*)>& restsOnVerdict);
    void deleteDeadLinks();

private:
    // Asks about the folders the deletion emptied, takes them on Yes, then
    // keeps the results, brings the window up to date and tells what was
    // done; one and many name what was deleted.
    void after(const DeletionOutcome& outcome, const char* one, const char* many);
    // What became of the folders outcome emptied; nothing when none went.
    DeletionOutcome deleteEmptiedFolders(const DeletionOutcome& outcome);

    BookmarkView& view_;
    BookmarkModel& tree_;
    KeptResults& results_;
    const std::filesystem::path& favorites_;
    DeleteWindow window_;
};
