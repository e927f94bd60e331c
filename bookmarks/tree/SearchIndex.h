#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

class BookmarkModel;
class SearchText;

// The texts the find bar searches, folded once and laid end to end in tree
// order, so that each letter typed is one sweep through memory rather than
// a visit to every node and its two strings. Made on first use and again
// after the tree's nodes or links change; until then it holds nothing.
class SearchIndex final
{
public:
    // Made now, so that the first letter typed does not wait for it.
    void prepare(const BookmarkModel& tree);
    void release();

    // For each node of tree.nodesInOrder(), whether text is in its name,
    // or for a link in its name or its link as the Link column shows it.
    std::vector<bool> find(const BookmarkModel& tree, const SearchText& text);

private:
    struct Key
    {
        qsizetype start; // in texts_; a key ends where the next one starts
        int node;        // its place in tree order
    };

    void addKey(QStringView text, int node);
    qsizetype endOf(size_t key) const;

    QString texts_;
    std::vector<Key> keys_;
    quint64 revision_ = 0;
    bool made_ = false;
};
