#pragma once

#include "ArchiveLookups.h"

#include <QDateTime>
#include <QList>
#include <optional>

class BookmarkModel;
struct BookmarkEntry;
class BookmarkNode;
class ResultsStore;
struct KeptResult;

// The dead links of tree, in tree order, whose kept result has no answer of
// the archive younger than ArchiveAnswerDays.
QList<ArchiveQuestion> ArchiveQuestions(const BookmarkModel& tree, const ResultsStore& store,
                                        const QDateTime& now);

// The question about the link of entry, when it is dead and its kept result
// has no fresh answer of the archive; none otherwise.
std::optional<ArchiveQuestion> ArchiveQuestionOf(const ResultsStore& store,
                                                 const BookmarkEntry& entry, const QDateTime& now);

// Keeps the archive's answer about the question's link (a failure is not
// kept: the link is asked again next run) and, for a copy found, adds it to
// the tooltip of the link while it still shows that link dead. Returns the
// link's node then, none otherwise.
BookmarkNode* KeepArchiveAnswer(BookmarkModel& tree, ResultsStore& store,
                                const ArchiveQuestion& question, const ArchiveAnswer& answer,
                                const QDateTime& now);

// The snapshot kept for the link of node, when it is dead and the archive
// has one; none otherwise.
const KeptResult* ArchivedCopyOf(const ResultsStore* store, const BookmarkNode* node);
