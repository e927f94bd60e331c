#include "Opener.h"

#include <QProcess>

namespace {

OpenerFunction& installedOpener()
{
    static OpenerFunction opener;
    return opener;
}

void openWithDesktop(const QString& target)
{
    const QStringList command = OpenerCommand(target);
    if (command.isEmpty())
        return;
    // Detached and without a shell: the target is one argument, whatever it holds.
    QProcess::startDetached(command.first(), command.mid(1));
}

} // namespace

void SetOpener(OpenerFunction opener)
{
    installedOpener() = std::move(opener);
}

void OpenTarget(const QString& target)
{
    if (installedOpener())
        installedOpener()(target);
    else
        openWithDesktop(target);
}

QStringList OpenerCommand(const QString& target)
{
    if (target.isEmpty() || target.startsWith(u'-'))
        return {};
    return {QStringLiteral("xdg-open"), target};
}
