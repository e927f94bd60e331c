#include "NewProblems.h"

#include <QLocale>

namespace {

bool isProblem(Verdict verdict)
{
    return verdict == Verdict::Dead || verdict == Verdict::Unsure;
}

} // namespace

bool IsNewProblem(const KeptResult* previous, Verdict verdict)
{
    return isProblem(verdict) && (previous == nullptr || !isProblem(previous->verdict));
}

void NewProblems::note(const QString& name, const KeptResult* previous, Verdict verdict)
{
    if (previous && previous->checked.isValid() &&
        (!previousRun_.isValid() || previous->checked > previousRun_))
        previousRun_ = previous->checked;
    if (!IsNewProblem(previous, verdict))
        return;
    names_ << name;
    anyDead_ = anyDead_ || verdict == Verdict::Dead;
}

QString NewProblems::summary(const QDateTime& now) const
{
    const int count = int(names_.size());
    QString text = count == 1 ? QStringLiteral("1 bookmark has gone")
                              : QStringLiteral("%1 bookmarks have gone").arg(count);
    if (!previousRun_.isValid())
        return text;
    const QDate day = previousRun_.toLocalTime().date();
    // The notice is worded in English throughout, whatever the locale.
    const QLocale english(QLocale::English);
    const bool sameYear = day.year() == now.toLocalTime().date().year();
    return text + QStringLiteral(" since ") +
           english.toString(day,
                            sameYear ? QStringLiteral("d MMMM") : QStringLiteral("d MMMM yyyy"));
}

QString NewProblems::body() const
{
    QStringList lines = names_.mid(0, NamesShown);
    if (names_.size() > NamesShown)
        lines << QStringLiteral("and %1 more").arg(names_.size() - NamesShown);
    return lines.join(u'\n');
}
