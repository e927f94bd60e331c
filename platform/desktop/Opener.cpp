#include "Opener.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

OpenerFunction& installedOpener()
{
    static OpenerFunction opener;
    return opener;
}

// Why the opener's run counts as a failure; empty when it does not.
QString endingProblem(const QString& name, int exitCode, QProcess::ExitStatus status)
{
    if (status != QProcess::NormalExit)
        return name + QStringLiteral(" crashed");
    if (exitCode != 0)
        return QStringLiteral("%1 exited with status %2").arg(name).arg(exitCode);
    return {};
}

void openWithDesktop(const QString& target, const OpenFailed& failed)
{
    const QStringList command = OpenerCommand(target);
    if (command.isEmpty()) {
        failed(target.isEmpty() ? QStringLiteral("it is empty")
                                : QStringLiteral("a link must not begin with \"-\""));
        return;
    }
    const QString program = QStandardPaths::findExecutable(command.first());
    if (program.isEmpty()) {
        failed(QStringLiteral("no program to open links was found"));
        return;
    }
    // Without a shell, so the target is one argument whatever it holds. The
    // opener may wait for the browser it starts; the process object goes
    // when it ends, and only its exit status is of interest.
    auto* opener = new QProcess;
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    const QString name = command.first();
    QObject::connect(opener, &QProcess::errorOccurred, opener,
                     [opener, failed, name](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         failed(name + QStringLiteral(" could not be started: ") +
                                opener->errorString());
                         opener->deleteLater();
                     });
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, failed, name](int exitCode, QProcess::ExitStatus status) {
                         if (const QString problem = endingProblem(name, exitCode, status);
                             !problem.isEmpty())
                             failed(problem);
                         opener->deleteLater();
                     });
    opener->start(program, command.mid(1));
}

} // namespace

void SetOpener(OpenerFunction opener)
{
    installedOpener() = std::move(opener);
}

void OpenTarget(const QString& target, const OpenFailed& failed)
{
    // A caller that does not care about failure need not say so.
    const OpenFailed report = failed ? failed : [](const QString&) {};
    if (installedOpener())
        installedOpener()(target, report);
    else
        openWithDesktop(target, report);
}

QStringList OpenerCommand(const QString& target)
{
    if (target.isEmpty() || target.startsWith(u'-'))
        return {};
    return {QStringLiteral("xdg-open"), target};
}
