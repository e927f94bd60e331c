#include "SearchIndex.h"

#include "BookmarkModel.h"
#include "SearchText.h"

void SearchIndex::prepare(const BookmarkModel& tree)
{
    if (made_ && revision_ == tree.revision())
        return;
    release();
    const std::vector<BookmarkNode*>& order = tree.nodesInOrder();
    for (size_t at = 0; at < order.size(); ++at) {
        const BookmarkEntry& e = order[at]->entry;
        if (e.IsFolder) {
            addKey(e.Name, int(at));
        } else {
            addKey(e.Title, int(at));
            addKey(SearchText::linkAsShown(e), int(at));
        }
    }
    texts_.squeeze();
    revision_ = tree.revision();
    made_ = true;
}

void SearchIndex::release()
{
    texts_ = QString();
    keys_ = {};
    made_ = false;
}

void SearchIndex::addKey(QStringView text, int node)
{
    keys_.push_back({texts_.size(), node});
    SearchText::appendFolded(text, texts_);
}

namespace {

// The first character by a vectorised scan, the rest compared in place:
// several times quicker on this much text than a general substring search,
// which sets itself up again for every hit.
qsizetype findFrom(QStringView text, QStringView needle, qsizetype from)
{
    const QChar first = needle.front();
    for (qsizetype at; (at = text.indexOf(first, from)) >= 0; from = at + 1) {
        if (text.sliced(at).startsWith(needle))
            return at;
    }
    return -1;
}

} // namespace

qsizetype SearchIndex::endOf(size_t key) const
{
    return key + 1 < keys_.size() ? keys_[key + 1].start : texts_.size();
}

std::vector<bool> SearchIndex::find(const BookmarkModel& tree, const SearchText& text)
{
    prepare(tree);
    std::vector<bool> found(tree.nodesInOrder().size(), text.isEmpty());
    if (text.isEmpty())
        return found;
    const QStringView all(texts_);
    const QString& needle = text.folded();
    size_t key = 0;
    qsizetype from = 0;
    for (qsizetype at; (at = findFrom(all, needle, from)) >= 0;) {
        while (endOf(key) <= at)
            ++key;
        // A hit that runs on into the next key joins two texts: no match.
        if (at + needle.size() <= endOf(key)) {
            found[size_t(keys_[key].node)] = true;
            // The node's other text need not be searched.
            while (key + 1 < keys_.size() && keys_[key + 1].node == keys_[key].node)
                ++key;
        }
        if (++key >= keys_.size())
            break;
        from = keys_[key].start;
    }
    return found;
}
