#pragma once

#include "BookmarkCells.h"
#include "BookmarkNode.h"
#include "NodeOrder.h"
#include "ShownRows.h"

#include <QAbstractItemModel>
#include <functional>
#include <memory>
#include <vector>

// The bookmark tree and its item-model adapter: the only store of entries.
// Every structural change goes through here, so only this class calls the
// model's begin/end notifications. internalPointer() of an index is its node.
class BookmarkModel final : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Role
    {
        ImageIndexRole = BookmarkImageRole,
        // While duplicate groups are shown, a link's Name cell: the folder
        // it lives in and whether it is the copy kept ("in Work/Tools, kept").
        DuplicatePlaceRole = Qt::UserRole + 16,
    };

    explicit BookmarkModel(QObject* parent = nullptr);
    ~BookmarkModel() override;

    // Tree operations.
    void clear();
    void beginUpdate();
    void endUpdate();
    BookmarkNode* addChild(BookmarkNode* parent);    // nullptr: a new top-level node
    static BookmarkEntry* entry(BookmarkNode* node); // nullptr for none / invisible root
    BookmarkNode* firstNode() const;
    BookmarkNode* nextNode(BookmarkNode* node) const; // pre-order, collapsed subtrees included
    // The first node after node's whole subtree in pre-order (its next
    // sibling, else the next sibling of the nearest ancestor that has one).
    BookmarkNode* nextNodeAfterSubtree(BookmarkNode* node) const;
    // Whether node is top itself or lies below it.
    static bool isInSubtree(const BookmarkNode* node, const BookmarkNode* top);
    // Status changes go through these, so every view of the row follows.
    // detail: the verdict with its reason, shown as the cell's tooltip.
    void setStatus(BookmarkNode* node, BookmarkStatus status, const QString& detail = {});
    void resetStatuses(); // every link back to StatusUnverified, its detail dropped
    // A link whose shortcut file was rewritten: its address and what the
    // file on disk is now.
    void setLink(BookmarkNode* node, const QString& link, FileId id, FileStamp stamp);
    void deleteNode(BookmarkNode* node);
    // Selected nodes in pre-order, leaving out nodes below another selected node.
    std::vector<BookmarkNode*>
    sortedSelection(const std::function<bool(BookmarkNode*)>& isSelected) const;
    // Deletes the given nodes (a sorted selection) with their subtrees, last first,
    // inside one update bracket.
    void deleteNodes(const std::vector<BookmarkNode*>& nodes);

    // Every node in pre-order, as nextNode() walks them; kept until a node
    // is added or removed.
    const std::vector<BookmarkNode*>& nodesInOrder() const { return order_.nodes(root_.get()); }
    // Changes whenever a node is added or removed or a link rewritten, so
    // that what is worked out from the tree's texts knows when it is stale.
    quint64 revision() const { return revision_; }

    // Filtering: index, parent and rowCount then present only the nodes
    // shown, while every operation above still works on the whole tree.
    // matching[i] says whether nodesInOrder()[i] matches. A node is shown
    // when it matches or a node below it is shown; a top-level one always.
    void showOnly(const std::vector<bool>& matching);
    // The root entry with the links of each group one after another directly
    // below it, the groups in tree order of their first link; kept: the copy
    // of each group that "Select duplicates" keeps.
    void showGroups(std::vector<std::vector<BookmarkNode*>> groups,
                    const std::vector<BookmarkNode*>& kept = {});
    bool showsGroups() const { return rows_.grouped(); }
    void showAll();
    bool isFiltered() const { return rows_.filtered(); }
    // Whether node has a row in the view (a hidden node has no index).
    bool isShown(const BookmarkNode* node) const { return rows_.isShown(node); }

    QModelIndex indexOf(BookmarkNode* node, int column = 0) const; // invalid while hidden
    static BookmarkNode* nodeOf(const QModelIndex& index);

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // Emitted before node (with its subtree) leaves the tree, while it is
    // still whole; listeners drop every pointer into the subtree.
    void nodeAboutToBeRemoved(BookmarkNode* node);

private:
    bool isAttached(const BookmarkNode* node) const;
    void structureChanged();
    // Takes the rows of a subtree about to leave out of the shown structure;
    // the rows left are closed up when the update bracket ends.
    void hideSubtreeRows(BookmarkNode* top);
    void emitNodeChanged(BookmarkNode* node);
    void emitShownRowsChanged();
    void startLayoutChange();
    void finishLayoutChange();
    std::unique_ptr<BookmarkNode> detach(BookmarkNode* node);
    void emitRowsChanged(BookmarkNode* parent, int firstRow, int lastRow);
    // What an entry adds to the counts of the folders above it.
    struct InsideCounts
    {
        int dead = 0;
        int unsure = 0;
        int moved = 0;
    };
    static InsideCounts countsOf(const BookmarkEntry& entry);
    // Adds change to the counts of every folder above node.
    void countInAncestors(BookmarkNode* node, const InsideCounts& change);

    std::unique_ptr<BookmarkNode> root_; // invisible root, carries no entry
    int updateDepth_ = 0;
    bool layoutChanging_ = false;
    ShownRows rows_;
    quint64 revision_ = 0;
    mutable NodeOrder order_;
    // Subtrees removed inside an update bracket. The view may still hold
    // indexes into them until the bracket ends, so they die only then.
    std::vector<std::unique_ptr<BookmarkNode>> graveyard_;
};
