#include "Opener.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

OpenerFunction& installedOpener()
{
    static OpenerFunction opener;
    return opener;
}

void openWithDesktop(const QString& target, const OpenFailed& failed)
{
    const QStringList command = OpenerCommand(target);
    const QString program =
        command.isEmpty() ? QString() : QStandardPaths::findExecutable(command.first());
    if (program.isEmpty()) {
        failed();
        return;
    }
    // Without a shell, so the target is one argument whatever it holds. The
    // opener may wait for the browser it starts; the process object goes
    // when it ends, and only its exit status is of interest.
    auto* opener = new QProcess;
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(opener, &QProcess::errorOccurred, opener,
                     [opener, failed](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         failed();
                         opener->deleteLater();
                     });
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, failed](int exitCode, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || exitCode != 0)
                             failed();
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
    const OpenFailed report = failed ? failed : [] {};
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
