#pragma once

#include <QString>
#include <filesystem>
#include <functional>

class BookmarkModel;
class BookmarkNode;
class BookmarkView;
class KeptResults;
struct LinkUpdateOutcome;
class MovedLinks;
class QAction;
class QWidget;

// What tidying needs of the window.
struct TidyWindow
{
    QAction* updateMoved;          // "Update all moved links", enabled while it applies
    std::function<bool()> running; // whether a run is under way
    std::function<void()> refreshFind;
    std::function<void(const QString&)> notice; // the third status panel
    QWidget* window;                            // over which boxes open
    std::function<bool()> toTrash;              // whether Delete moves to the Trash
};

// Tidying the tree: moved links rewritten to their new address (and the
// last update taken back with Ctrl+Z), and duplicate links selected so that
// the Delete key moves the extras to the Trash.
class TidyActions
{
public:
    TidyActions(BookmarkView& view, MovedLinks& moved, KeptResults& results,
                const std::filesystem::path& favorites, TidyWindow window);

    // Enables what needs a finished run that found moved links.
    void refreshItems();
    void updateAllMoved();
    // The moved links among the selected rows.
    void updateSelected();
    // Puts copy, the archived copy of node's dead link, in its place, as an
    // update does; Ctrl+Z takes it back.
    void replaceWithArchivedCopy(BookmarkNode* node, const QString& copy);
    void undo();
    void selectDuplicates();

private:
    // Asks, then rewrites the moved links chosen accepts (every one inside
    // the Favorites folder for "Update all moved links") and reports what was
    // done. leftOutside: moved links outside the folder that were left out.
    void update(const std::function<bool(BookmarkNode*)>& chosen, qsizetype leftOutside);
    // done and failed finish "3 links …" in the status bar and in the box
    // that names each link left alone.
    void report(const LinkUpdateOutcome& outcome, const QString& done, const QString& failed);

    BookmarkView& view_;
    BookmarkModel& tree_;
    MovedLinks& moved_;
    KeptResults& results_;
    const std::filesystem::path& favorites_;
    TidyWindow window_;
};
