#include "BookmarkModel.h"

#include "LinkPassword.h"

#include <QStringList>
#include <algorithm>
#include <unordered_map>

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
    // A new tree is shown whole.
    filtered_ = false;
    root_->shownChildren_.clear();
    shownGaps_.clear();
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
    closeUpShownRows();
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
    if (filtered_) {
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
    if (!node)
        return nullptr;
    if (!node->children_.empty())
        return node->children_.front().get();
    return nextNodeAfterSubtree(node);
}

BookmarkNode* BookmarkModel::nextNodeAfterSubtree(BookmarkNode* node) const
{
    for (const BookmarkNode* n = node; n && n != root_.get() && !n->detached_; n = n->parent_) {
        const auto& siblings = n->parent_->children_;
        const size_t next = size_t(n->row_) + 1;
        if (next < siblings.size())
            return siblings[next].get();
    }
    return nullptr;
}

bool BookmarkModel::isInSubtree(const BookmarkNode* node, const BookmarkNode* top)
{
    if (!top)
        return false;
    for (const BookmarkNode* n = node; n; n = n->parent_) {
        if (n == top)
            return true;
    }
    return false;
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
    const int dead = int(status == StatusDead) - int(e->Status == StatusDead);
    const int unsure = int(status == StatusUnsure) - int(e->Status == StatusUnsure);
    e->Status = status;
    e->Detail = detail;
    emitNodeChanged(node);
    countInAncestors(node, dead, unsure);
}

void BookmarkModel::countInAncestors(BookmarkNode* node, int dead, int unsure)
{
    if (dead == 0 && unsure == 0)
        return;
    for (BookmarkNode* folder = node->parent_; folder && folder != root_.get();
         folder = folder->parent_) {
        folder->entry.DeadInside += dead;
        folder->entry.UnsureInside += unsure;
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
                countsShown = countsShown || child->entry.DeadInside || child->entry.UnsureInside;
                child->entry.DeadInside = 0;
                child->entry.UnsureInside = 0;
                continue;
            }
            child->entry.Status = StatusUnverified;
            child->entry.Detail = QString();
            if (firstLink < 0)
                firstLink = child->row_;
            lastLink = child->row_;
        }
        if (filtered_)
            continue;
        if (countsShown)
            emitRowsChanged(parent, 0, int(parent->children_.size()) - 1);
        else if (firstLink >= 0)
            emitRowsChanged(parent, firstLink, lastLink);
    }
    if (filtered_)
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
    const BookmarkEntry& gone = node->entry;
    countInAncestors(node, -(gone.IsFolder ? gone.DeadInside : int(gone.Status == StatusDead)),
                     -(gone.IsFolder ? gone.UnsureInside : int(gone.Status == StatusUnsure)));
    if (filtered_) {
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
    return createIndex(rowOf(node), column, node);
}

bool BookmarkModel::isShown(const BookmarkNode* node) const
{
    return !filtered_ || node->shownParent_;
}

int BookmarkModel::rowsBelow(const BookmarkNode* owner) const
{
    return filtered_ ? int(owner->shownChildren_.size()) : owner->childCount();
}

BookmarkNode* BookmarkModel::rowBelow(const BookmarkNode* owner, int row) const
{
    return filtered_ ? owner->shownChildren_[size_t(row)] : owner->child(row);
}

BookmarkNode* BookmarkModel::rowParent(const BookmarkNode* node) const
{
    return filtered_ ? node->shownParent_ : node->parent_;
}

int BookmarkModel::rowOf(const BookmarkNode* node) const
{
    return filtered_ ? node->shownRow_ : node->row_;
}

void BookmarkModel::structureChanged()
{
    ++revision_;
    orderCurrent_ = false;
    // They may be gone by the next filter.
    shownNodes_.clear();
    shownNodesKnown_ = false;
}

const std::vector<BookmarkNode*>& BookmarkModel::nodesInOrder() const
{
    if (orderCurrent_)
        return order_;
    order_.clear();
    parentAt_.clear();
    std::vector<int> ancestors; // places of the folders above the node reached
    for (BookmarkNode* node = firstNode(); node; node = nextNode(node)) {
        while (!ancestors.empty() && order_[size_t(ancestors.back())] != node->parent_)
            ancestors.pop_back();
        parentAt_.push_back(ancestors.empty() ? -1 : ancestors.back());
        ancestors.push_back(int(order_.size()));
        order_.push_back(node);
    }
    orderCurrent_ = true;
    return order_;
}

void BookmarkModel::forgetShown()
{
    root_->shownChildren_.clear();
    for (BookmarkNode* node : shownNodesKnown_ ? shownNodes_ : nodesInOrder()) {
        node->shownParent_ = nullptr;
        node->shownChildren_.clear();
    }
    shownNodes_.clear();
    shownNodesKnown_ = true;
}

void BookmarkModel::showRow(BookmarkNode* node, BookmarkNode* owner)
{
    node->shownParent_ = owner;
    node->shownRow_ = int(owner->shownChildren_.size());
    owner->shownChildren_.push_back(node);
    shownNodes_.push_back(node);
}

void BookmarkModel::showOnly(const std::vector<bool>& matching)
{
    beginResetModel();
    forgetShown();
    const std::vector<BookmarkNode*>& order = nodesInOrder();
    // Backwards, every node comes after all of its subtree, so a folder
    // knows whether anything below it is shown before its turn.
    std::vector<bool> shown(order.size());
    for (size_t i = order.size(); i-- > 0;) {
        const int above = parentAt_[i];
        if (above >= 0 && !shown[i] && !(i < matching.size() && matching[i]))
            continue;
        shown[i] = true;
        if (above >= 0)
            shown[size_t(above)] = true;
    }
    // Forwards, each node's rows come in tree order; only shown nodes are touched.
    for (size_t i = 0; i < order.size(); ++i) {
        if (shown[i])
            showRow(order[i], order[i]->parent_);
    }
    filtered_ = true;
    endResetModel();
}

void BookmarkModel::showGroups(std::vector<std::vector<BookmarkNode*>> groups)
{
    beginResetModel();
    forgetShown();
    const std::vector<BookmarkNode*>& order = nodesInOrder();
    for (const auto& top : root_->children_)
        showRow(top.get(), root_.get());
    std::unordered_map<const BookmarkNode*, size_t> place;
    for (size_t i = 0; i < order.size(); ++i)
        place.emplace(order[i], i);
    const auto placeOf = [&place](const std::vector<BookmarkNode*>& group) {
        const auto found = group.empty() ? place.end() : place.find(group.front());
        return found == place.end() ? place.size() : found->second;
    };
    std::stable_sort(groups.begin(), groups.end(),
                     [&](const auto& a, const auto& b) { return placeOf(a) < placeOf(b); });
    BookmarkNode* rootEntry = firstNode();
    for (const auto& group : groups) {
        for (BookmarkNode* link : group) {
            // Only links of this tree, each once.
            if (!rootEntry || !place.contains(link) || link->shownParent_ || link->entry.IsFolder)
                continue;
            showRow(link, rootEntry);
        }
    }
    filtered_ = true;
    endResetModel();
}

void BookmarkModel::showAll()
{
    beginResetModel();
    forgetShown();
    filtered_ = false;
    endResetModel();
}

void BookmarkModel::hideSubtreeRows(BookmarkNode* top)
{
    const BookmarkNode* end = nextNodeAfterSubtree(top);
    for (BookmarkNode* node = top; node && node != end; node = nextNode(node)) {
        BookmarkNode* above = node->shownParent_;
        if (!above)
            continue;
        node->shownParent_ = nullptr;
        if (!isInSubtree(above, top))
            shownGaps_.push_back(above);
    }
}

void BookmarkModel::closeUpShownRows()
{
    for (BookmarkNode* owner : shownGaps_) {
        auto& rows = owner->shownChildren_;
        std::erase_if(rows,
                      [owner](const BookmarkNode* row) { return row->shownParent_ != owner; });
        for (size_t row = 0; row < rows.size(); ++row)
            rows[row]->shownRow_ = int(row);
    }
    shownGaps_.clear();
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
    if (row >= rowsBelow(owner))
        return {};
    return createIndex(row, column, rowBelow(owner, row));
}

QModelIndex BookmarkModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    BookmarkNode* owner = rowParent(nodeOf(child));
    if (!owner || owner == root_.get())
        return {};
    return createIndex(rowOf(owner), ColumnName, owner);
}

int BookmarkModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return rowsBelow(root_.get());
    if (parent.column() != ColumnName)
        return 0;
    return rowsBelow(nodeOf(parent));
}

int BookmarkModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QVariant BookmarkModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const BookmarkEntry& e = nodeOf(index)->entry;
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        if (column == ColumnName)
            return e.IsFolder ? e.Name : e.Title;
        if (column == ColumnLink)
            return MaskPassword(e.Link);
        return e.IsFolder ? folderCounts(e) : QVariant();
    case ImageIndexRole:
        if (column == ColumnName)
            return int(NodeImage(e));
        if (column == ColumnStatus && !e.IsFolder)
            return int(LampImage(e.Status));
        return {};
    case Qt::AccessibleTextRole:
        return column == ColumnStatus ? statusText(e) : QVariant();
    case Qt::ToolTipRole:
        return toolTip(e, column);
    default:
        return {};
    }
}

// Painted as a lamp only; this is what a screen reader says instead.
QVariant BookmarkModel::folderCounts(const BookmarkEntry& folder)
{
    if (folder.DeadInside <= 0 && folder.UnsureInside <= 0)
        return {};
    QStringList parts;
    if (folder.DeadInside > 0)
        parts << QStringLiteral("%1 dead").arg(folder.DeadInside);
    if (folder.UnsureInside > 0)
        parts << QStringLiteral("%1 not sure").arg(folder.UnsureInside);
    return parts.join(QStringLiteral(", "));
}

QVariant BookmarkModel::statusText(const BookmarkEntry& entry)
{
    if (entry.IsFolder)
        return folderCounts(entry);
    const auto verdict = [&entry](const QString& plain) {
        return entry.Detail.isEmpty() ? plain : entry.Detail;
    };
    switch (entry.Status) {
    case StatusAlive:
        return verdict(QStringLiteral("Alive"));
    case StatusDead:
        return verdict(QStringLiteral("Dead"));
    case StatusUnsure:
        return verdict(QStringLiteral("Not sure"));
    case StatusUnchecked:
        return verdict(QStringLiteral("Not checked"));
    case StatusUnverified:
        return QStringLiteral("Not verified");
    default:
        return {};
    }
}

// Why a verified link came out as it did, where the eye is on it; for a
// folder that is a directory link, where it leads.
QVariant BookmarkModel::toolTip(const BookmarkEntry& entry, int column)
{
    // The Status cell is narrow; the tooltip shows the counts whole.
    if (entry.IsFolder && column == ColumnStatus)
        return folderCounts(entry);
    if (entry.Detail.isEmpty())
        return {};
    if (entry.IsFolder)
        return column == ColumnName ? QVariant(entry.Detail) : QVariant();
    // Every verdict explains itself, the grey "not a web link" one included.
    const bool judged = entry.Status == StatusAlive || entry.Status == StatusDead ||
                        entry.Status == StatusUnsure || entry.Status == StatusUnchecked;
    if (!judged)
        return {};
    return column == ColumnStatus || column == ColumnLink ? QVariant(entry.Detail) : QVariant();
}

QVariant BookmarkModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColumnName:
        return QStringLiteral("Name");
    case ColumnLink:
        return QStringLiteral("Link");
    case ColumnStatus:
        return QStringLiteral("Status");
    default:
        return {};
    }
}

Qt::ItemFlags BookmarkModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
