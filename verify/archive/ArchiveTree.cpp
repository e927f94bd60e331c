#include "ArchiveTree.h"

#include "BookmarkModel.h"
#include "ResultsStore.h"

namespace {

const KeptResult* deadResult(const ResultsStore& store, const BookmarkEntry& entry)
{
    if (entry.IsFolder || entry.Status != StatusDead)
        return nullptr;
    const KeptResult* kept = store.find(store.keyOf(entry.Path), entry.Link);
    return kept && kept->verdict == Verdict::Dead ? kept : nullptr;
}

} // namespace

std::optional<ArchiveQuestion> ArchiveQuestionOf(const ResultsStore& store,
                                                 const BookmarkEntry& entry, const QDateTime& now)
{
    const KeptResult* kept = deadResult(store, entry);
    if (!kept || HasFreshArchiveAnswer(*kept, now))
        return std::nullopt;
    return ArchiveQuestion{store.keyOf(entry.Path), entry.Link, entry.Path, entry.Stamp.modified};
}

QList<ArchiveQuestion> ArchiveQuestions(const BookmarkModel& tree, const ResultsStore& store,
                                        const QDateTime& now)
{
    QList<ArchiveQuestion> questions;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        if (auto question = entry ? ArchiveQuestionOf(store, *entry, now) : std::nullopt)
            questions.append(*std::move(question));
    }
    return questions;
}

BookmarkNode* KeepArchiveAnswer(BookmarkModel& tree, ResultsStore& store,
                                const ArchiveQuestion& question, const ArchiveAnswer& answer,
                                const QDateTime& now)
{
    if (answer.kind == ArchiveAnswer::Kind::Failed ||
        !store.recordArchive(question.key, question.link, answer.copy.url, answer.copy.timestamp,
                             now) ||
        answer.kind != ArchiveAnswer::Kind::Found)
        return nullptr;
    for (BookmarkNode* node = tree.firstNode(); node; node = tree.nextNode(node)) {
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        if (!entry || entry->Path != question.path || entry->Link != question.link)
            continue;
        const KeptResult* kept = deadResult(store, *entry);
        const QString line = kept ? ArchivedCopyText(*kept) : QString();
        if (line.isEmpty() || entry->Detail.endsWith(line))
            return nullptr;
        tree.setStatus(node, StatusDead, entry->Detail + u'\n' + line);
        return node;
    }
    return nullptr;
}

const KeptResult* ArchivedCopyOf(const ResultsStore* store, const BookmarkNode* node)
{
    const KeptResult* kept = store && node ? deadResult(*store, node->entry) : nullptr;
    return kept && !kept->archiveUrl.isEmpty() ? kept : nullptr;
}
