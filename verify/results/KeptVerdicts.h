#pragma once

#include "VerdictReport.h"

#include <QHash>
#include <QObject>
#include <filesystem>

class BookmarkModel;
class BookmarkNode;

// The last verdict of each link of a tree with all that was found out, for a
// report written after the run. A link leaving the tree (deleted, or the
// tree cleared for another folder) takes its verdict with it.
class KeptVerdicts final : public QObject
{
    Q_OBJECT

public:
    explicit KeptVerdicts(BookmarkModel& tree, QObject* parent = nullptr);

    void keep(BookmarkNode* node, const LinkVerdict& verdict);
    void clear();
    // Drops the verdicts of top's subtree.
    void forgetSubtree(BookmarkNode* top);
    qsizetype size() const { return verdicts_.size(); }

    // The report of every kept verdict in tree order, its header first, the
    // links named from folder as the command line names them.
    QByteArray report(ReportFormat format, const std::filesystem::path& folder) const;

private:
    BookmarkModel& tree_;
    QHash<const BookmarkNode*, LinkVerdict> verdicts_;
};
