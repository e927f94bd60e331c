#pragma once

#include "ResultsStore.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// Whether a link this run judged verdict is a problem the runs before had
// not seen: dead or not sure now, and neither when last kept (previous;
// none when it was never checked under this link text). One that was
// already a problem has been told of.
bool IsNewProblem(const KeptResult* previous, Verdict verdict);

// The links a check found newly dead or not sure, for a notice of them.
class NewProblems final
{
public:
    // Notes the verdict on the link named name against what was kept of it
    // before this run.
    void note(const QString& name, const KeptResult* previous, Verdict verdict);

    const QStringList& names() const { return names_; }
    // Some of them are dead, not only not sure.
    bool anyDead() const { return anyDead_; }
    // When the previous run judged the links: its newest verdict among
    // those noted; invalid when nothing was kept.
    const QDateTime& previousRun() const { return previousRun_; }

    // "3 bookmarks have gone since 1 December" (the year said when it is
    // not now's), without "since" when no run came before.
    QString summary(const QDateTime& now) const;
    // The first names, one a line, with how many more there are.
    QString body() const;

    // More names would only be cut off by the notice.
    static constexpr int NamesShown = 5;

private:
    QStringList names_;
    QDateTime previousRun_;
    bool anyDead_ = false;
};
