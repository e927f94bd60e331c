#pragma once

#include "VerdictReport.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <filesystem>

class BookmarkModel;
class BookmarkNode;
class ResultsStore;

// The last verdict of each link of a tree with all that was found out and
// when, for a report written after the run. A link leaving the tree
// (deleted, or the tree cleared for another folder) takes its verdict with
// it.
class KeptVerdicts final : public QObject
{
    Q_OBJECT

public:
    explicit KeptVerdicts(BookmarkModel& tree, QObject* parent = nullptr);

    void keep(BookmarkNode* node, const LinkVerdict& verdict, const QDateTime& checked);
    void clear();
    // Drops the verdicts of top's subtree.
    void forgetSubtree(BookmarkNode* top);
    qsizetype size() const { return verdicts_.size(); }

    // How many links show a verdict: one kept here, or else the one store
    // (none: no earlier runs) keeps from an earlier run while its lamp is lit.
    qsizetype shownCount(const ResultsStore* store) const;
    // The report of every verdict shown in tree order with when it was made,
    // its header first, the links named from folder as the command line
    // names them.
    QByteArray report(ReportFormat format, const std::filesystem::path& folder,
                      const ResultsStore* store) const;

private:
    struct Judged
    {
        LinkVerdict verdict;
        QDateTime checked;
    };
    // Calls visit with each link that shows a verdict, in tree order.
    template <typename Visit> void forEachShown(const ResultsStore* store, Visit visit) const;

    BookmarkModel& tree_;
    QHash<const BookmarkNode*, Judged> verdicts_;
};
