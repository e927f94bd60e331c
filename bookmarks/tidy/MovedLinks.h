#pragma once

#include "ShortcutRewrite.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class BookmarkModel;
class BookmarkNode;

// What one update (or its undo) did: how many shortcuts were rewritten, how
// many were left alone because they changed since they were checked (their
// lamps grey now), and for each other one that was not, its name and why
// ("Old.url: read-only").
struct LinkUpdateOutcome
{
    int updated = 0;
    int changed = 0;
    QStringList failures;
};

// The links the last run found moved, with the address each moved to, and
// the last update of them, so that it can be taken back while the program
// runs. Nodes leaving the tree are forgotten with their subtrees.
class MovedLinks final : public QObject
{
    Q_OBJECT

public:
    explicit MovedLinks(BookmarkModel& tree, QObject* parent = nullptr);

    // A link's final verdict. Only a link that answered alive at the end of
    // a move IsMovedLink allows counts as moved, and only when its file holds
    // nothing past the link that was checked; otherwise its tooltip says why
    // it is not.
    void noteVerdict(BookmarkNode* node, const QString& finalAddress, bool permanentRedirects,
                     bool alive);
    // A new run begins: what the last one found no longer holds.
    void forgetVerdicts();
    // The links of top's subtree are checked again.
    void forgetVerdicts(BookmarkNode* top);
    int count() const { return int(moved_.size()); }
    bool isMoved(const BookmarkNode* node) const
    {
        return moved_.contains(const_cast<BookmarkNode*>(node));
    }

    using Choice = std::function<bool(BookmarkNode*)>;
    // How many moved links chosen accepts.
    int count(const Choice& chosen) const;

    // Rewrites the shortcut of every moved link that chosen accepts, in tree
    // order, to its new address; each updated row shows the new link, alive.
    // A shortcut that cannot be rewritten is left exactly as it was and the
    // others still go; one changed since it was checked is no longer known
    // to be moved, and its lamp goes grey. The updated ones become the
    // update an undo takes back.
    LinkUpdateOutcome update(const std::string& favoritesPath, const Choice& chosen);
    // Rewrites the shortcut of node to link, with every care of an update,
    // its row then showing detail, alive; it becomes the update an undo
    // takes back. For a link put in place of a dead one (its archived copy).
    LinkUpdateOutcome replace(const std::string& favoritesPath, BookmarkNode* node,
                              const QString& link, const QString& detail);
    bool canUndo() const { return !lastUpdate_.empty(); }
    // The first link, in tree order, that an undo puts back.
    BookmarkNode* firstOfLastUpdate() const
    {
        return lastUpdate_.empty() ? nullptr : lastUpdate_.front().node;
    }
    // Puts back every shortcut of the last update, bytes and times, and its
    // row as it was; those links count as moved again.
    LinkUpdateOutcome undoLast();

private:
    struct Move
    {
        QString from; // the link that was checked
        QString to;
    };
    struct Updated
    {
        BookmarkNode* node;
        ShortcutBackup backup;
        QString oldLink;
        QString newLink;
        qint16 oldStatus;
        QString oldDetail;
        bool wasMoved; // counts as moved again once undone
    };

    void forgetSubtree(BookmarkNode* top);
    // Rewrites one shortcut as move says; a rewritten one joins updated.
    void rewrite(const std::string& favoritesPath, BookmarkNode* node, const Move& move,
                 const QString& detail, bool wasMoved, LinkUpdateOutcome& outcome,
                 std::vector<Updated>& updated);
    // A shortcut found changed since it was read: nothing judged holds.
    void judgeAgain(BookmarkNode* node, const EntryPlace& place, LinkUpdateOutcome& outcome);

    BookmarkModel& tree_;
    QHash<BookmarkNode*, Move> moved_;
    std::vector<Updated> lastUpdate_;
};
