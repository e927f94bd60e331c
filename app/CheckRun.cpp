#include "CheckRun.h"

#include "BookmarkModel.h"
#include "CommandLine.h"
#include "CurlProbeEngine.h"
#include "FavoritesLocation.h"
#include "FavoritesScan.h"
#include "KnownFolders.h"
#include "Settings.h"
#include "VerdictReport.h"
#include "VerificationRun.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {

void writeOut(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    // Each verdict is there for a reader as soon as it is known.
    std::fflush(stdout);
}

void writeError(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

QString shown(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

// Why the folder cannot be checked; empty when it can.
QString folderProblem(const std::filesystem::path& folder)
{
    if (folder.empty())
        return QStringLiteral("no Favorites folder found, and no HOME to look in");
    std::error_code error;
    const auto status = std::filesystem::status(folder, error);
    if (!std::filesystem::exists(status))
        return QStringLiteral("no such folder: ") + shown(folder);
    if (!std::filesystem::is_directory(status))
        return QStringLiteral("not a folder: ") + shown(folder);
    std::filesystem::directory_iterator entries(folder, error);
    if (error)
        return QStringLiteral("cannot read %1: %2")
            .arg(shown(folder), QString::fromLocal8Bit(error.message()));
    return {};
}

// The shortcut's path from the folder; the full path for one reached
// through a link to a directory elsewhere.
QString relativePath(const std::string& path, const std::filesystem::path& folder)
{
    const std::filesystem::path relative = std::filesystem::path(path).lexically_relative(folder);
    if (relative.empty() || *relative.begin() == "..")
        return shown(path);
    return shown(relative);
}

// On a terminal the progress is one line, written over in place; anywhere
// else it would only clutter a log.
void showProgress(const VerificationRun& run)
{
    if (!isatty(STDERR_FILENO))
        return;
    writeError(u'\r' + RunProgressText(run.tally()) + QStringLiteral("\x1b[K"));
}

void clearProgress()
{
    if (isatty(STDERR_FILENO))
        writeError(QStringLiteral("\r\x1b[K"));
}

} // namespace

int RunCheck(const CommandLine& line, int& argc, char** argv)
{
    const QCoreApplication app(argc, argv);
    const std::filesystem::path folder = FindFavoritesFolder(line.folder);
    if (const QString problem = folderProblem(folder); !problem.isEmpty()) {
        writeError(QStringLiteral("orvanta: ") + problem + u'\n');
        return 2;
    }

    Settings settings;
    settings.loadOptions(ConfigFilePath());
    if (line.proxy)
        settings.proxy = *line.proxy;
    if (line.jobs)
        settings.linksAtOnce = *line.jobs;

    BookmarkModel tree;
    LoadFavorites(tree, folder);
    const VerdictReport report(line.format);
    VerificationRun run(tree, std::make_shared<const SharedProxySettings>(settings.proxy),
                        std::make_unique<CurlProbeEngine>(), settings.linksAtOnce);
    QObject::connect(
        &run, &VerificationRun::verdictStored, [&](BookmarkNode* node, const ProbeResult& result) {
            const BookmarkEntry* entry = BookmarkModel::entry(node);
            writeOut(report.line(entry->Link, relativePath(entry->Path, folder), result));
        });
    QObject::connect(&run, &VerificationRun::tallied, [](VerificationRun* r) { showProgress(*r); });
    QObject::connect(&run, &VerificationRun::ended, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    writeOut(report.header());
    if (!run.start()) {
        writeError(QStringLiteral("orvanta: the checking thread could not be started\n"));
        return 2;
    }
    QCoreApplication::exec();
    clearProgress();
    return run.tally().dead > 0 ? 1 : 0;
}
