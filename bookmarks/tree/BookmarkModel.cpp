#include "BookmarkModel.h"

#include "DuplicatePlace.h"

BookmarkModel::BookmarkModel(QObject* parent)
    : QAbstractItemModel(parent), root_(std::make_unique<BookmarkNode>())
{
}

BookmarkModel::~BookmarkModel() = default;

void BookmarkModel::clear()
{
    for (const auto& top : root_->children_)
        emit nodeAboutToBeRemoved(top.get());
    beginResetModel();
    rows_.clear(root_.get());
    root_->children_.clear();
    structureChanged();
    graveyard_.clear(); // a reset drops every persistent index, so nothing refers to them
    endResetModel();
}

void BookmarkModel::beginUpdate()
{
    ++updateDepth_;
}

void BookmarkModel::endUpdate()
{
    if (updateDepth_ == 0 || --updateDepth_ > 0)
        return;
    if (layoutChanging_)
        finishLayoutChange();
}

// The layout change is announced at the first structural change of a bracket,
// not at its start, so a bracket that only reads (a count) costs the view nothing.
void BookmarkModel::startLayoutChange()
{
    if (layoutChanging_)
        return;
    layoutChanging_ = true;
    emit layoutAboutToBeChanged();
}

void BookmarkModel::finishLayoutChange()
{
    layoutChanging_ = false;
    rows_.closeUp();
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) {
        BookmarkNode* node = nodeOf(index);
        to.append(isAttached(node) ? indexOf(node, index.column()) : QModelIndex());
    }
    changePersistentIndexList(from, to);
    emit layoutChanged();
    graveyard_.clear();
}

BookmarkNode* BookmarkModel::addChild(BookmarkNode* parent)
{
    BookmarkNode* owner = parent ? parent : root_.get();
    auto node = std::make_unique<BookmarkNode>();
    BookmarkNode* added = node.get();
    added->parent_ = owner;
    added->row_ = owner->childCount();
    structureChanged();
    // A node added while filtered stays hidden until the marks are made
    // again, so the view sees no change.
    if (rows_.filtered()) {
        owner->children_.push_back(std::move(node));
        return added;
    }
    if (updateDepth_ > 0) {
        startLayoutChange();
        owner->children_.push_back(std::move(node));
        return added;
    }
    beginInsertRows(indexOf(owner), added->row_, added->row_);
    owner->children_.push_back(std::move(node));
    endInsertRows();
    return added;
}

BookmarkEntry* BookmarkModel::entry(BookmarkNode* node)
{
    // Only the invisible root has no parent.
    return node && node->parent_ ? &node->entry : nullptr;
}

BookmarkNode* BookmarkModel::firstNode() const
{
    return root_->children_.empty() ? nullptr : root_->children_.front().get();
}

BookmarkNode* BookmarkModel::nextNode(BookmarkNode* node) const
{
    return node ? node->next() : nullptr;
}

BookmarkNode* BookmarkModel::nextNodeAfterSubtree(BookmarkNode* node) const
{
    return node ? node->nextAfterSubtree() : nullptr;
}

bool BookmarkModel::isInSubtree(const BookmarkNode* node, const BookmarkNode* top)
{
    return top && node && node->isWithin(top);
}

bool BookmarkModel::isAttached(const BookmarkNode* node) const
{
    for (const BookmarkNode* n = node; n; n = n->parent_) {
        if (n->detached_)
            return false;
        if (n == root_.get())
            return true;
    }
    return false;
}

void BookmarkModel::setStatus(BookmarkNode* node, BookmarkStatus status, const QString& detail)
{
    BookmarkEntry* e = entry(node);
    if (!e)
        return;
    const InsideCounts before = countsOf(*e);
    e->Status = status;
    e->Detail = detail;
    emitNodeChanged(node);
    const InsideCounts after = countsOf(*e);
    countInAncestors(
        node, {after.dead - before.dead, after.unsure - before.unsure, after.moved - before.moved});
}

BookmarkModel::InsideCounts BookmarkModel::countsOf(const BookmarkEntry& entry)
{
    if (entry.IsFolder)
        return {entry.DeadInside, entry.UnsureInside, entry.MovedInside};
    return {int(entry.Status == StatusDead), int(entry.Status == StatusUnsure),
            int(entry.Status == StatusMoved)};
}

void BookmarkModel::countInAncestors(BookmarkNode* node, const InsideCounts& change)
{
    if (change.dead == 0 && change.unsure == 0 && change.moved == 0)
        return;
    for (BookmarkNode* folder = node->parent_; folder && folder != root_.get();
         folder = folder->parent_) {
        folder->entry.DeadInside += change.dead;
        folder->entry.UnsureInside += change.unsure;
        folder->entry.MovedInside += change.moved;
        if (!folder->detached_ && !layoutChanging_ && isShown(folder)) {
            const QModelIndex cell = indexOf(folder, ColumnStatus);
            emit dataChanged(cell, cell);
        }
    }
}

void BookmarkModel::setLink(BookmarkNode* node, const QString& link, FileId id, FileStamp stamp)
{
    BookmarkEntry* e = entry(node);
    if (!e)
        return;
    e->Link = link;
    e->Id = id;
    e->Stamp = stamp;
    ++revision_;
    emitNodeChanged(node);
}

void BookmarkModel::resetStatuses()
{
    // One notification per parent, over the rows from its first link to its
    // last (links follow the subfolders, so that is rarely more): a large tree
    // is reset without a signal per row.
    for (BookmarkNode* parent = root_.get(); parent; parent = nextNode(parent)) {
        int firstLink = -1;
        int lastLink = -1;
        bool countsShown = false;
        for (const auto& child : parent->children_) {
            if (child->entry.IsFolder) {
                countsShown = countsShown || child->entry.DeadInside || child->entry.UnsureInside ||
                              child->entry.MovedInside;
                child->entry.DeadInside = 0;
                child->entry.UnsureInside = 0;
                child->entry.MovedInside = 0;
                continue;
            }
            child->entry.Status = StatusUnverified;
            child->entry.Detail = QString();
            if (firstLink < 0)
                firstLink = child->row_;
            lastLink = child->row_;
        }
        if (rows_.filtered())
            continue;
        if (countsShown)
            emitRowsChanged(parent, 0, int(parent->children_.size()) - 1);
        else if (firstLink >= 0)
            emitRowsChanged(parent, firstLink, lastLink);
    }
    if (rows_.filtered())
        emitShownRowsChanged();
}

void BookmarkModel::emitShownRowsChanged()
{
    if (layoutChanging_)
        return;
    for (BookmarkNode* parent = root_.get(); parent; parent = nextNode(parent)) {
        const auto& rows = parent->shownChildren_;
        if (!rows.empty())
            emit dataChanged(createIndex(0, ColumnName, rows.front()),
                             createIndex(int(rows.size()) - 1, ColumnCount - 1, rows.back()));
    }
}

void BookmarkModel::emitNodeChanged(BookmarkNode* node)
{
    if (layoutChanging_ || !isShown(node))
        return;
    emit dataChanged(indexOf(node, ColumnName), indexOf(node, ColumnCount - 1));
}

void BookmarkModel::emitRowsChanged(BookmarkNode* parent, int firstRow, int lastRow)
{
    // After a structural change inside a bracket, indexes may be stale until
    // the bracket ends, and its layout change repaints every row anyway.
    if (layoutChanging_)
        return;
    emit dataChanged(createIndex(firstRow, ColumnName, parent->child(firstRow)),
                     createIndex(lastRow, ColumnCount - 1, parent->child(lastRow)));
}

std::unique_ptr<BookmarkNode> BookmarkModel::detach(BookmarkNode* node)
{
    auto& siblings = node->parent_->children_;
    const auto at = siblings.begin() + node->row_;
    std::unique_ptr<BookmarkNode> taken = std::move(*at);
    siblings.erase(at);
    for (size_t row = size_t(taken->row_); row < siblings.size(); ++row)
        siblings[row]->row_ = int(row);
    taken->detached_ = true;
    structureChanged();
    return taken;
}

void BookmarkModel::deleteNode(BookmarkNode* node)
{
    if (!node || node == root_.get() || !isAttached(node))
        return;
    emit nodeAboutToBeRemoved(node);
    // What it held no longer counts in the folders above it.
    const InsideCounts gone = countsOf(node->entry);
    countInAncestors(node, {-gone.dead, -gone.unsure, -gone.moved});
    if (rows_.filtered()) {
        // Its shown rows may hang below rows outside it (a group of links
        // below the root entry): a layout change closes up every gap at once.
        beginUpdate();
        startLayoutChange();
        hideSubtreeRows(node);
        graveyard_.push_back(detach(node));
        endUpdate();
        return;
    }
    if (updateDepth_ > 0) {
        startLayoutChange();
        graveyard_.push_back(detach(node));
        return;
    }
    beginRemoveRows(indexOf(node->parent_), node->row_, node->row_);
    const std::unique_ptr<BookmarkNode> removed = detach(node);
    endRemoveRows();
}

std::vector<BookmarkNode*>
BookmarkModel::sortedSelection(const std::function<bool(BookmarkNode*)>& isSelected) const
{
    std::vector<BookmarkNode*> selection;
    for (BookmarkNode* node = firstNode(); node;) {
        if (isSelected(node)) {
            selection.push_back(node);
            node = nextNodeAfterSubtree(node);
        } else {
            node = nextNode(node);
        }
    }
    return selection;
}

void BookmarkModel::deleteNodes(const std::vector<BookmarkNode*>& nodes)
{
    beginUpdate();
    for (auto it = nodes.rbegin(); it != nodes.rend(); ++it)
        deleteNode(*it);
    endUpdate();
}

QModelIndex BookmarkModel::indexOf(BookmarkNode* node, int column) const
{
    if (!node || node == root_.get() || !isShown(node))
        return {};
    return createIndex(rows_.rowOf(node), column, node);
}

void BookmarkModel::structureChanged()
{
    ++revision_;
    order_.treeChanged();
    rows_.treeChanged();
}

void BookmarkModel::showOnly(const std::vector<bool>& matching)
{
    beginResetModel();
    const std::vector<BookmarkNode*>& order = nodesInOrder();
    rows_.showOnly(root_.get(), order, order_.parentAt(), matching);
    endResetModel();
}

void BookmarkModel::showGroups(std::vector<std::vector<BookmarkNode*>> groups,
                               const std::vector<BookmarkNode*>& kept)
{
    beginResetModel();
    rows_.showGroups(root_.get(), nodesInOrder(), std::move(groups), kept);
    endResetModel();
}

void BookmarkModel::showAll()
{
    beginResetModel();
    rows_.showAll(root_.get(), nodesInOrder());
    endResetModel();
}

void BookmarkModel::hideSubtreeRows(BookmarkNode* top)
{
    const BookmarkNode* end = nextNodeAfterSubtree(top);
    for (BookmarkNode* node = top; node && node != end; node = nextNode(node))
        rows_.hide(node, top);
}

BookmarkNode* BookmarkModel::nodeOf(const QModelIndex& index)
{
    return index.isValid() ? static_cast<BookmarkNode*>(index.internalPointer()) : nullptr;
}

QModelIndex BookmarkModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount)
        return {};
    if (parent.isValid() && parent.column() != ColumnName)
        return {};
    const BookmarkNode* owner = parent.isValid() ? nodeOf(parent) : root_.get();
    if (row >= rows_.rowsBelow(owner))
        return {};
    return createIndex(row, column, rows_.rowBelow(owner, row));
}

QModelIndex BookmarkModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    BookmarkNode* owner = rows_.rowParent(nodeOf(child));
    if (!owner || owner == root_.get())
        return {};
    return createIndex(rows_.rowOf(owner), ColumnName, owner);
}

int BookmarkModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return rows_.rowsBelow(root_.get());
    if (parent.column() != ColumnName)
        return 0;
    return rows_.rowsBelow(nodeOf(parent));
}

int BookmarkModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QVariant BookmarkModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const BookmarkNode* node = nodeOf(index);
    if (rows_.grouped() && (role == DuplicatePlaceRole || role == Qt::ToolTipRole) &&
        index.column() == ColumnName && !node->entry.IsFolder)
        return DuplicatePlace(node, rows_.isKept(node), role == Qt::ToolTipRole);
    return CellData(node->entry, index.column(), role);
}

QVariant BookmarkModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return ColumnTitle(section);
}

Qt::ItemFlags BookmarkModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
