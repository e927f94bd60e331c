#pragma once

#include "ArchiveLookupRun.h"

#include <QObject>
#include <QString>
#include <functional>

class BookmarkModel;
class BookmarkNode;
class KeptResults;
struct KeptResult;

// What the window lends the archive lookups: whether they are on, where the
// service is, and its status bar.
struct ArchiveWindow
{
    std::function<bool()> lookupsOn;
    std::function<QString()> address;
    std::function<void(const QString&)> notice;
};

// The archived copies of the dead links of the tree shown: looked up after
// each run's verdicts when the Options say so, kept with the results.
class ArchiveCopies final : public QObject
{
    Q_OBJECT

public:
    ArchiveCopies(BookmarkModel& tree, KeptResults& results, ArchiveWindow window,
                  QObject* parent = nullptr);

    // Tests ask more quickly.
    void setManners(const ArchiveManners& manners) { manners_ = manners; }
    // Looks up the dead links without a fresh answer, unless lookups are
    // off or under way.
    void lookUp();
    // Abandons the lookups, before another tree is loaded.
    void stop() { run_.stop(); }
    bool running() const { return run_.running(); }

    // The snapshot kept for node's dead link; none when the archive has none.
    const KeptResult* copyOf(const BookmarkNode* node) const;

signals:
    // A lookup that ends, whatever its end.
    void finished();

private:
    void answered(const ArchiveQuestion& question, const ArchiveAnswer& answer);
    void ended(ArchiveEnd end);

    BookmarkModel& tree_;
    KeptResults& results_;
    ArchiveWindow window_;
    ArchiveManners manners_;
    ArchiveLookupRun run_;
};
