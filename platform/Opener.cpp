#include "Opener.h"

#include <QProcess>

namespace {

OpenerFunction& installedOpener()
{
    static OpenerFunction opener;
    return opener;
}

bool isSchemeCharacter(QChar c, bool first)
{
    const char16_t u = c.unicode();
    const bool letter = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
    if (first)
        return letter;
    return letter || (u >= '0' && u <= '9') || u == '+' || u == '-' || u == '.';
}

// True when target starts with "scheme:" (and not with "host:port").
bool hasScheme(const QString& target)
{
    qsizetype colon = 0;
    while (colon < target.size() && isSchemeCharacter(target[colon], colon == 0))
        ++colon;
    if (colon == 0 || colon >= target.size() || target[colon] != u':')
        return false;
    qsizetype digits = colon + 1;
    while (digits < target.size() && target[digits].isDigit())
        ++digits;
    const bool port = digits > colon + 1 && (digits == target.size() || target[digits] == u'/');
    return !port;
}

// The desktop opener takes a scheme-less text for a file name; the shell this
// program was made for opened such an address as a web page, so it gets one.
QString withScheme(const QString& target)
{
    if (hasScheme(target) || target.startsWith(u'/'))
        return target;
    return QStringLiteral("http://") + target;
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
    return {QStringLiteral("xdg-open"), withScheme(target)};
}
