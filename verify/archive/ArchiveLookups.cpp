#include "ArchiveLookups.h"

#include "ArchiveRequest.h"
#include "ArchiveTime.h"
#include "RetryAfter.h"

#include <algorithm>
#include <ctime>
#include <optional>
#include <thread>

namespace {

constexpr std::chrono::milliseconds CancelCheck{50};

bool isRefusal(const ArchiveReply& reply)
{
    return reply.answered && (reply.status == 429 || reply.status == 503);
}

ArchiveAnswer answerOf(const ArchiveReply& reply)
{
    if (!reply.answered)
        return {ArchiveAnswer::Kind::Failed, {}, reply.error};
    if (reply.status < 200 || reply.status > 299)
        return {ArchiveAnswer::Kind::Failed,
                {},
                QStringLiteral("the archive answered %1").arg(reply.status)};
    return ParseArchiveAnswer(reply.body);
}

} // namespace

QString ArchiveEndText(ArchiveEnd end)
{
    switch (end) {
    case ArchiveEnd::Refused:
        return QStringLiteral("The Internet Archive asked for a pause: the other archived copies "
                              "are looked for in the next run");
    case ArchiveEnd::Unreachable:
        return QStringLiteral("The Internet Archive could not be reached: archived copies are "
                              "looked for in the next run");
    case ArchiveEnd::Limit:
        return QStringLiteral("Archived copies of the other dead links are looked for in the next "
                              "run");
    case ArchiveEnd::Done:
    case ArchiveEnd::Cancelled:
        break;
    }
    return {};
}

struct ArchiveLookups::Asked
{
    std::optional<ArchiveReply> reply; // none when cancelled
};

ArchiveLookups::ArchiveLookups(const QString& address, const ArchiveManners& manners,
                               const std::atomic_bool& cancel)
    : address_(address), manners_(manners), cancel_(cancel)
{
}

bool ArchiveLookups::waitUntil(std::chrono::steady_clock::time_point when) const
{
    while (!cancel_.load()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= when)
            return true;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(when - now, CancelCheck));
    }
    return false;
}

ArchiveLookups::Asked ArchiveLookups::ask(const QByteArray& url)
{
    if (!waitUntil(nextAllowed_))
        return {};
    nextAllowed_ = std::chrono::steady_clock::now() + manners_.gap;
    ArchiveReply reply = FetchArchive(url, manners_.timeoutMs, cancel_);
    if (cancel_.load())
        return {};
    // Counted from the end as well, so a slow answer is no reason to ask sooner.
    nextAllowed_ = std::max(nextAllowed_, std::chrono::steady_clock::now() + manners_.gap);
    return {std::move(reply)};
}

ArchiveEnd ArchiveLookups::run(const QList<ArchiveQuestion>& questions, const Answered& answered)
{
    int asked = 0;
    bool retried = false; // one wait for a Retry-After in a run
    for (const ArchiveQuestion& question : questions) {
        if (asked == manners_.maxLookups)
            return ArchiveEnd::Limit;
        ++asked;
        const QByteArray url = ArchiveQueryUrl(
            address_, question.link,
            ArchiveTimestamp(ShortcutModifiedValue(question.path), question.fileModifiedNs));
        Asked reply = ask(url);
        if (reply.reply && isRefusal(*reply.reply)) {
            const std::optional<int> wait =
                RetryAfterSeconds(reply.reply->retryAfter, std::time(nullptr));
            if (!wait || retried)
                return ArchiveEnd::Refused;
            retried = true;
            nextAllowed_ = std::max(nextAllowed_,
                                    std::chrono::steady_clock::now() + std::chrono::seconds(*wait));
            reply = ask(url);
            if (reply.reply && isRefusal(*reply.reply))
                return ArchiveEnd::Refused;
        }
        if (!reply.reply)
            return ArchiveEnd::Cancelled;
        if (reply.reply->unreachable)
            return ArchiveEnd::Unreachable;
        answered(question, answerOf(*reply.reply));
    }
    return ArchiveEnd::Done;
}
