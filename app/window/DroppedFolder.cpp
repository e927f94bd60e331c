#include "DroppedFolder.h"

#include "KnownFolders.h"

#include <QMimeData>
#include <QUrl>

namespace {

// The path's own bytes: a file manager percent-encodes a name that is not
// valid UTF-8 byte by byte, and decoding it to text would lose them.
std::string localPath(const QUrl& url)
{
    if (!url.isLocalFile() || !(url.host().isEmpty() || url.host() == QLatin1String("localhost")))
        return {};
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

} // namespace

std::filesystem::path FirstDroppedFolder(const QMimeData& data)
{
    for (const QUrl& url : data.urls()) {
        const std::string path = localPath(url);
        if (DirectoryExists(path))
            return path;
    }
    return {};
}
