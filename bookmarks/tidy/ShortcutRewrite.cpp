#include "ShortcutRewrite.h"

#include "AtomicFile.h"
#include "ProfileFile.h"
#include "RegularFile.h"
#include "ShortcutLinkEdit.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>

#include <sys/stat.h>

namespace {

// The file's new contents from its current ones; nothing leaves it alone.
using Edit = std::function<std::optional<QByteArray>(const QByteArray&)>;

ShortcutRewrite settled(RewriteOutcome outcome, const QString& error = QString())
{
    ShortcutRewrite result;
    result.outcome = outcome;
    result.error = error;
    return result;
}

// A shortcut the scan read whole: anything longer was only partly read, and
// writing it back from what was read would cut it.
std::optional<QByteArray> readShortcut(int dir, const PathStep& target, ShortcutRewrite& result)
{
    QByteArray bytes;
    FileId readId;
    const int error =
        ReadFileQuietlyAt(dir, target.name.c_str(), OneShotReadLimit + 1, bytes, readId);
    if (error == ENOENT)
        result = settled(RewriteOutcome::Missing);
    else if (error != 0)
        result = settled(RewriteOutcome::Failed, QString::fromLocal8Bit(std::strerror(error)));
    else if (readId != target.id)
        result = settled(RewriteOutcome::Changed);
    else if (bytes.size() > OneShotReadLimit)
        result = settled(RewriteOutcome::Failed, QStringLiteral("too large for a shortcut"));
    else
        return bytes;
    return std::nullopt;
}

// Finds the file again, edits it and replaces it with times (nothing: the
// access time kept, the modification time now).
ShortcutRewrite replaceShortcut(const EntryPlace& place, const Edit& edit, RewriteOutcome noEdit,
                                const std::optional<std::array<struct timespec, 2>>& times)
{
    const CheckedParent where = WalkToPlace(place);
    if (where.outcome != WalkOutcome::Reached)
        return settled(where.outcome == WalkOutcome::Missing ? RewriteOutcome::Missing
                                                             : RewriteOutcome::Changed);
    // A link in the shortcut's place leads anywhere; what it leads to is
    // not the scan's to write.
    if (!S_ISREG(where.entry.st_mode))
        return settled(RewriteOutcome::Failed, QStringLiteral("not a regular file"));
    if (!(where.entry.st_mode & S_IWUSR))
        return settled(RewriteOutcome::ReadOnly);

    ShortcutRewrite result;
    const std::optional<QByteArray> before = readShortcut(where.dir.get(), place.target, result);
    if (!before)
        return result;
    const std::optional<QByteArray> after = edit(*before);
    if (!after)
        return settled(noEdit);

    FileReplacement how{place.target.id, {where.entry.st_atim, {0, UTIME_NOW}}};
    if (times)
        how.times = *times;
    if (!ReplaceFileAtomicallyAt(where.dir.get(), place.target.name, *after, how, &result.newId,
                                 &result.error))
        return result;
    result.outcome = RewriteOutcome::Done;
    result.backup = {place, *before, *after, where.entry.st_atim, where.entry.st_mtim};
    result.backup.place.target.id = result.newId;
    return result;
}

} // namespace

ShortcutRewrite RewriteShortcutLink(const EntryPlace& place, const QString& link)
{
    return replaceShortcut(
        place, [&link](const QByteArray& bytes) { return WithShortcutLink(bytes, link); },
        RewriteOutcome::NoLink, std::nullopt);
}

ShortcutRewrite UndoShortcutRewrite(const ShortcutBackup& backup)
{
    const auto restore = [&backup](const QByteArray& bytes) -> std::optional<QByteArray> {
        if (bytes != backup.after)
            return std::nullopt;
        return backup.before;
    };
    return replaceShortcut(backup.place, restore, RewriteOutcome::Changed,
                           std::array<struct timespec, 2>{backup.accessed, backup.modified});
}
