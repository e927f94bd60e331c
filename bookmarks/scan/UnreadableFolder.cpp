#include "UnreadableFolder.h"

#include <QFile>
#include <QStringList>
#include <system_error>

namespace {

// A tooltip is no place for thousands of lines.
constexpr size_t DetailLines = 10;

QString reason(int error)
{
    if (error == 0)
        return QStringLiteral("it was replaced while it was read");
    return QString::fromStdString(std::generic_category().message(error));
}

} // namespace

QString UnreadableFolderLine(const UnreadableFolder& folder)
{
    return QStringLiteral("cannot read %1: %2")
        .arg(QFile::decodeName(QByteArray::fromStdString(folder.path)), reason(folder.error));
}

QString UnreadableFoldersText(const std::vector<UnreadableFolder>& folders)
{
    if (folders.empty())
        return {};
    if (folders.size() == 1)
        return QStringLiteral("1 folder could not be read");
    return QStringLiteral("%1 folders could not be read").arg(folders.size());
}

QString UnreadableFoldersDetail(const std::vector<UnreadableFolder>& folders)
{
    QStringList lines;
    for (size_t i = 0; i < folders.size() && i < DetailLines; ++i)
        lines << UnreadableFolderLine(folders[i]);
    if (folders.size() > DetailLines)
        lines << QStringLiteral("and %1 more").arg(folders.size() - DetailLines);
    return lines.join(u'\n');
}
