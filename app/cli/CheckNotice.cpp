#include "CheckNotice.h"

#include "DesktopNotice.h"
#include "NewProblems.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QProcess>

namespace {

// The check may run from a timer, which waits on it: long enough for
// someone at the desk to see the notice and choose Show, short enough not
// to hold the timer's service up for long. A notice still up after that
// keeps its words; only its button no longer opens anything.
constexpr int ShowWaitMs = 5 * 60 * 1000;

const QString ShowAction = QStringLiteral("show");

// The window on the new problems: the dead links, or the links not sure
// when none is dead, so that it never opens on an empty list.
void openWindowOn(const std::filesystem::path& folder, bool dead)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    QProcess::startDetached(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--show"), dead ? QStringLiteral("dead") : QStringLiteral("unsure"),
         QFile::decodeName(QByteArray::fromStdString((error ? folder : absolute).native()))});
}

} // namespace

QString NotifyNewProblems(const NewProblems& problems, const std::filesystem::path& folder,
                          const QDateTime& now)
{
    if (problems.names().isEmpty())
        return {};
    const DesktopNotice notice{
        problems.summary(now), problems.body(), {{ShowAction, QStringLiteral("Show")}}};
    const NoticeOutcome outcome =
        ShowDesktopNotice(QDBusConnection::sessionBus(), notice, ShowWaitMs);
    if (!outcome.failure.isEmpty())
        return QStringLiteral("no desktop notice sent: ") + outcome.failure;
    if (outcome.action == ShowAction)
        openWindowOn(folder, problems.anyDead());
    return {};
}
