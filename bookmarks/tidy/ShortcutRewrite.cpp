#include "ShortcutRewrite.h"

#include "AtomicFile.h"
#include "ProfileFile.h"
#include "RegularFile.h"
#include "ShortcutLink.h"
#include "ShortcutLinkEdit.h"
#include "TextCodec.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>

#include <sys/stat.h>

namespace {

// The file's new contents from its current ones, or why there are none.
using Edit = std::function<std::optional<QByteArray>(const QByteArray&, RewriteOutcome& refusal)>;

ShortcutRewrite settled(RewriteOutcome outcome, const QString& error = QString())
{
    ShortcutRewrite result;
    result.outcome = outcome;
    result.error = error;
    return result;
}

// A shortcut the scan read whole, and still as it was then: anything longer
// was only partly read, and writing it back from what was read would cut it.
std::optional<QByteArray> readShortcut(int dir, const EntryPlace& place, ShortcutRewrite& result)
{
    QByteArray bytes;
    FileId readId;
    FileStamp readStamp;
    const int error = ReadFileQuietlyAt(dir, place.target.name.c_str(), OneShotReadLimit + 1, bytes,
                                        readId, readStamp);
    if (error == ENOENT)
        result = settled(RewriteOutcome::Missing);
    else if (error != 0)
        result = settled(RewriteOutcome::Failed, QString::fromLocal8Bit(std::strerror(error)));
    else if (readId != place.target.id || readStamp != place.stamp)
        result = settled(RewriteOutcome::Changed);
    else if (bytes.size() > OneShotReadLimit)
        result = settled(RewriteOutcome::Failed, QStringLiteral("too large for a shortcut"));
    else
        return bytes;
    return std::nullopt;
}

// Whether the file may be replaced at all, as the walk found it.
std::optional<RewriteOutcome> refusal(const EntryPlace& place, const struct stat& found)
{
    // A link in the shortcut's place leads anywhere; what it leads to is
    // not the scan's to write.
    if (!S_ISREG(found.st_mode))
        return RewriteOutcome::Failed;
    if (!(found.st_mode & S_IWUSR))
        return RewriteOutcome::ReadOnly;
    if (FileStampOf(found) != place.stamp)
        return RewriteOutcome::Changed;
    if (found.st_nlink > 1)
        return RewriteOutcome::HardLinked;
    return std::nullopt;
}

// Finds the file again, edits it and replaces it with times (nothing: the
// access time kept, the modification time now).
ShortcutRewrite replaceShortcut(const EntryPlace& place, const Edit& edit,
                                const std::optional<std::array<struct timespec, 2>>& times)
{
    const CheckedParent where = WalkToPlace(place);
    if (where.outcome != WalkOutcome::Reached)
        return settled(where.outcome == WalkOutcome::Missing ? RewriteOutcome::Missing
                                                             : RewriteOutcome::Changed);
    if (const std::optional<RewriteOutcome> refused = refusal(place, where.entry))
        return settled(*refused, *refused == RewriteOutcome::Failed
                                     ? QStringLiteral("not a regular file")
                                     : QString());

    ShortcutRewrite result;
    const std::optional<QByteArray> before = readShortcut(where.dir.get(), place, result);
    if (!before)
        return result;
    RewriteOutcome refused = RewriteOutcome::Failed;
    const std::optional<QByteArray> after = edit(*before, refused);
    if (!after)
        return settled(refused);

    FileReplacement how{place.target.id, place.stamp, {where.entry.st_atim, {0, UTIME_NOW}}};
    if (times)
        how.times = *times;
    struct stat replaced;
    if (!ReplaceFileAtomicallyAt(where.dir.get(), place.target.name, *after, how, &replaced,
                                 &result.error))
        return result;
    result.outcome = RewriteOutcome::Done;
    result.newId = FileIdOf(replaced);
    result.newStamp = FileStampOf(replaced);
    result.backup = {place, *before, *after, where.entry.st_atim, where.entry.st_mtim};
    result.backup.place.target.id = result.newId;
    result.backup.place.stamp = result.newStamp;
    return result;
}

} // namespace

ShortcutRewrite RewriteShortcutLink(const EntryPlace& place, const QString& checkedLink,
                                    const QString& link)
{
    const auto rewrite = [&](const QByteArray& bytes,
                             RewriteOutcome& refused) -> std::optional<QByteArray> {
        const ShortcutLinkValue held = ShortcutLinkOf(DecodeText(bytes));
        refused = held.link != checkedLink ? RewriteOutcome::Changed
                  : !held.whole            ? RewriteOutcome::LinkCut
                                           : RewriteOutcome::NoLink;
        if (refused != RewriteOutcome::NoLink)
            return std::nullopt;
        return WithShortcutLink(bytes, link);
    };
    return replaceShortcut(place, rewrite, std::nullopt);
}

ShortcutRewrite UndoShortcutRewrite(const ShortcutBackup& backup)
{
    const auto restore = [&backup](const QByteArray& bytes,
                                   RewriteOutcome& refused) -> std::optional<QByteArray> {
        refused = RewriteOutcome::Changed;
        if (bytes != backup.after)
            return std::nullopt;
        return backup.before;
    };
    return replaceShortcut(backup.place, restore,
                           std::array<struct timespec, 2>{backup.accessed, backup.modified});
}
