#include "FileManager.h"

#include "Opener.h"
#include "PathUtils.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace {

// Long enough for a file manager that the bus first has to start.
constexpr int AnswerTimeoutMs = 5000;

} // namespace

QString FileUri(const std::string& path)
{
    return QStringLiteral("file://") +
           QString::fromLatin1(QByteArray::fromStdString(path).toPercentEncoding("/"));
}

void ShowItemsInFileManager(const QDBusConnection& bus, const QStringList& fileUris,
                            std::function<void(bool shown)> done)
{
    if (!bus.isConnected() || fileUris.isEmpty()) {
        done(false);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << fileUris << QString();
    // Owned by the application as well: an answer that never comes (the bus
    // gone first) must not leave the watcher behind.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, AnswerTimeoutMs),
                                                QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, done = std::move(done)] {
                         done(!watcher->isError());
                         watcher->deleteLater();
                     });
}

void ShowInFileManager(const QDBusConnection& bus, const std::vector<std::string>& paths,
                       std::function<void(const QString& why)> failed)
{
    if (paths.empty())
        return;
    QStringList uris;
    for (const std::string& path : paths)
        uris << FileUri(path);
    const QString folder = FileUri(DirectoryPart(WithoutTrailingSeparators(paths.front())));
    ShowItemsInFileManager(bus, uris, [folder, failed = std::move(failed)](bool shown) {
        if (shown)
            return;
        OpenTarget(folder, [failed](const QString& why) {
            if (failed)
                failed(QStringLiteral("no file manager answered, and ") + why);
        });
    });
}
