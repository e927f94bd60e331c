#pragma once

#include "ResultsStore.h"
#include "UnreadableFolder.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class BookmarkModel;

// The results of earlier runs on the folder shown: read when the tree is
// loaded, written after each run, deletion and update.
class KeptResults
{
public:
    // favorites is the folder shown, read each time a tree is loaded;
    // notice says in the status bar what could not be kept.
    KeptResults(BookmarkModel& tree, const std::filesystem::path& favorites,
                std::function<void(const QString&)> notice);

    // Where the times of verdicts come from; tests let days pass with it.
    void setClock(Clock clock) { clock_ = std::move(clock); }
    QDateTime now() const { return clock_(); }
    // Verdicts kept from before it are from an earlier session.
    QDateTime sessionStart() const { return sessionStart_; }
    // What runs on the folder shown found, kept; none while none can be kept.
    ResultsStore* store() const { return results_.get(); }

    // Reads what earlier runs on the folder found and shows it on the links,
    // holding what is known below the folders the scan could not read;
    // returns what the third panel should say about it.
    QString load(const std::vector<UnreadableFolder>& unreadable);
    // Drops what was read, before another tree is loaded.
    void close() { results_.reset(); }
    // Writes the kept results when anything changed, less the links gone
    // from the tree.
    void save();
    // why, unless the window said it before: a folder it may not use is
    // named once, not at every tree loaded.
    QString sayOnce(const QString& why);

private:
    BookmarkModel& tree_;
    const std::filesystem::path& favorites_;
    std::function<void(const QString&)> notice_;
    std::unique_ptr<ResultsStore> results_;
    Clock clock_ = SystemClock();
    QDateTime sessionStart_;
    QStringList said_;
};
