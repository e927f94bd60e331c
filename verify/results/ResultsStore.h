#pragma once

#include "Verdict.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <filesystem>
#include <functional>

class OwnFolder;

// The time now; tests put in their own so that days can pass between runs.
using Clock = std::function<QDateTime()>;
Clock SystemClock();

// What the runs so far found out about one link.
struct KeptResult
{
    QString link; // the link text the verdict was made for, its password masked
    Verdict verdict = Verdict::Unchecked;
    QString text;   // the verdict with its reason, as the window shows it
    QString reason; // the reason alone, as the command line prints it
    QDateTime checked;
    QDateTime lastAlive;   // invalid when never seen alive
    int deadRuns = 0;      // runs in a row that judged it dead
    QDateTime firstDead;   // the first dead run of that streak
    bool askFirst = false; // its host limited the run before it was asked
    // The Internet Archive's last answer about the link: when it was asked
    // (invalid: never) and the snapshot it named, empty when none.
    QDateTime archiveAsked;
    QString archiveUrl;
    QString archiveTimestamp;
};

// Answers of the archive are asked again once they are this old.
inline constexpr qint64 ArchiveAnswerDays = 30;
// The archive has been asked about the link within ArchiveAnswerDays.
bool HasFreshArchiveAnswer(const KeptResult& result, const QDateTime& now);

// The result once another run has judged the link. A dead run adds one to
// the streak, an alive one ends it; a run that was not sure, or did not
// check, says nothing about it either way. What was kept for another link
// text is not carried over.
KeptResult NextResult(const KeptResult* previous, const QString& link, const Judgement& judgement,
                      const QDateTime& now);

// A time as the results file and the JSON report write it: UTC in ISO
// 8601, null for never.
QJsonValue TimeJson(const QDateTime& time);

// "dead in 3 runs in a row" for a dead link whose streak spans at least a
// day over two runs or more; empty otherwise, since two runs an hour apart
// prove little.
QString DeadStreakText(const KeptResult& result);
// Calendar days from then to now, in local time: 0 for earlier today.
qint64 DaysBefore(const QDateTime& then, const QDateTime& now);
// "checked today", "checked yesterday", "checked 3 days ago".
QString CheckedAgoText(const QDateTime& checked, const QDateTime& now);
// "19 September 2013" for a snapshot's timestamp (YYYYMMDDhhmmss); empty
// when it is none.
QString ArchivedCopyDate(const QString& timestamp);
// "Archived copy from 19 September 2013" for a dead link the archive has a
// snapshot of; empty otherwise.
QString ArchivedCopyText(const KeptResult& result);
// A verdict's text with what the results add to it: the dead streak, and
// the archived copy on a line of its own.
QString VerdictDetail(const QString& text, const KeptResult& result);
// "Dead: 404 Not Found, checked 3 days ago; dead in 2 runs in a row".
QString KeptDetail(const KeptResult& result, const QDateTime& now);

// The results of the runs on one Favorites folder, kept in one file of the
// state folder named after the folder's path, which is used only while it
// is the user's own (OwnFolder). Links are known by their shortcut's path
// from the folder, byte for byte. A password in a link or a verdict is kept
// masked, as the window shows it, and a link is found by its masked text.
class ResultsStore final
{
public:
    ResultsStore(const std::filesystem::path& stateFolder, const std::filesystem::path& favorites);

    const std::filesystem::path& filePath() const { return file_; }
    const std::filesystem::path& favorites() const { return favorites_; }
    // The key of the shortcut at path: its path from the Favorites folder,
    // the full path for one outside it.
    QByteArray keyOf(const std::string& path) const;

    // Reads the file; a missing one is an empty store. One that is damaged,
    // too large, of another version or no regular file of ours is renamed
    // aside (never over an earlier one) and the store starts empty; the text
    // returned says so once, and is empty otherwise. So does a state folder
    // that is not the user's own: the store is then refused.
    QString load(const QDateTime& now);
    bool save(QString* error = nullptr);
    // Something was recorded or forgotten since the last load or save.
    bool changed() const { return changed_; }
    // The state folder was not the user's own when the store was loaded:
    // nothing is to be written there.
    bool refused() const { return refused_; }

    // What is kept for key when it was judged for link; nothing otherwise.
    const KeptResult* find(const QByteArray& key, const QString& link) const;
    const KeptResult& record(const QByteArray& key, const QString& link, const Judgement& judgement,
                             const QDateTime& now);
    // Keeps the archive's answer about the link kept for key when it was
    // judged for link (snapshotUrl empty: it has none); false when no such
    // result is kept.
    bool recordArchive(const QByteArray& key, const QString& link, const QString& snapshotUrl,
                       const QString& snapshotTimestamp, const QDateTime& now);
    // Forgets every key keep says no to, except those below a held folder.
    void retain(const std::function<bool(const QByteArray&)>& keep);
    // Keeps what is known of the links below the folder of key folderKey
    // (keyOf its path) whatever retain() is told: the folder could not be
    // read, so the links missing from it may still be there.
    void holdFolder(const QByteArray& folderKey);
    qsizetype size() const { return results_.size(); }

    // Larger files are taken for damaged rather than read.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

private:
    QString setAside(const OwnFolder& folder, const QString& why, const QDateTime& now);
    bool isHeld(const QByteArray& key) const;

    std::filesystem::path favorites_; // as given, as the scan joins the shortcuts' paths to it
    std::filesystem::path absolute_;  // what names the file, the same from any folder
    std::filesystem::path file_;
    QHash<QByteArray, KeptResult> results_;
    QList<QByteArray> held_; // folder keys, each with '/' after it; empty for all
    bool changed_ = false;
    bool refused_ = false;
};
