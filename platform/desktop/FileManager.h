#pragma once

#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QDBusConnection;

// The file URI of a native path, its bytes kept exactly (percent-encoded
// where they are not plain ASCII), as file managers expect them.
QString FileUri(const std::string& path);

// Asks the file manager on bus (the freedesktop FileManager1 service) to
// show the files at fileUris selected in their folders. done(true) once it
// answered, done(false) when the bus has no such service or it refused; the
// caller is never held up, so done may come later from the event loop.
void ShowItemsInFileManager(const QDBusConnection& bus, const QStringList& fileUris,
                            std::function<void(bool shown)> done);

// Shows the entries at paths in the file manager on bus; where it cannot,
// opens the folder holding the first of them with the opener. When that
// fails too, failed is told why ("no file manager answered, and xdg-open
// exited with status 3"), maybe later from the event loop.
void ShowInFileManager(const QDBusConnection& bus, const std::vector<std::string>& paths,
                       std::function<void(const QString& why)> failed = {});
