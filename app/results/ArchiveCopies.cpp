#include "ArchiveCopies.h"

#include "ArchiveTree.h"
#include "KeptResults.h"

ArchiveCopies::ArchiveCopies(BookmarkModel& tree, KeptResults& results, ArchiveWindow window,
                             QObject* parent)
    : QObject(parent), tree_(tree), results_(results), window_(std::move(window))
{
    connect(&run_, &ArchiveLookupRun::answered, this, &ArchiveCopies::answered);
    connect(&run_, &ArchiveLookupRun::finished, this, &ArchiveCopies::ended);
}

void ArchiveCopies::lookUp()
{
    const ResultsStore* store = results_.store();
    if (!store || run_.running() || !window_.lookupsOn())
        return;
    const QList<ArchiveQuestion> questions = ArchiveQuestions(tree_, *store, results_.now());
    if (!questions.isEmpty())
        run_.start(window_.address(), questions, manners_);
}

void ArchiveCopies::answered(const ArchiveQuestion& question, const ArchiveAnswer& answer)
{
    if (ResultsStore* store = results_.store())
        KeepArchiveAnswer(tree_, *store, question, answer, results_.now());
}

void ArchiveCopies::ended(ArchiveEnd end)
{
    results_.save();
    if (const QString text = ArchiveEndText(end); !text.isEmpty())
        window_.notice(text);
    emit finished();
}

const KeptResult* ArchiveCopies::copyOf(const BookmarkNode* node) const
{
    return ArchivedCopyOf(results_.store(), node);
}
