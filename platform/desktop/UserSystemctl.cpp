#include "UserSystemctl.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

// Long enough for a manager that is busy starting units, short enough
// that a hung one does not hold the dialog for good.
constexpr int TimeoutMs = 20000;

QString systemctlPath()
{
    return QStandardPaths::findExecutable(QStringLiteral("systemctl"));
}

} // namespace

bool UserSystemctlFound()
{
    return !systemctlPath().isEmpty();
}

SystemctlAnswer RunUserSystemctl(const QStringList& arguments)
{
    const QString program = systemctlPath();
    if (program.isEmpty())
        return {false, QStringLiteral("systemctl was not found")};
    const QString shown = QStringLiteral("systemctl --user ") + arguments.join(u' ');
    QProcess process;
    process.setProgram(program);
    process.setArguments(QStringList{QStringLiteral("--user")} + arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(TimeoutMs))
        return {false, shown + QStringLiteral(": ") + process.errorString()};
    if (!process.waitForFinished(TimeoutMs)) {
        process.kill();
        process.waitForFinished(TimeoutMs);
        return {false,
                shown + QStringLiteral(" did not finish in %1 seconds").arg(TimeoutMs / 1000)};
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return {true, {}};
    const QString words = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (!words.isEmpty())
        return {false, words};
    return {false, process.exitStatus() == QProcess::NormalExit
                       ? shown + QStringLiteral(" ended with exit code %1").arg(process.exitCode())
                       : shown + QStringLiteral(" crashed")};
}
