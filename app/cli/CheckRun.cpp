#include "CheckRun.h"

#include "ArchiveLookupRun.h"
#include "ArchiveTree.h"
#include "BookmarkModel.h"
#include "BrowserBookmarks.h"
#include "CheckNotice.h"
#include "CommandLine.h"
#include "CurlProbeEngine.h"
#include "EscapedText.h"
#include "FavoritesLocation.h"
#include "FavoritesScan.h"
#include "KnownFolders.h"
#include "NewProblems.h"
#include "OwnFolder.h"
#include "RunTally.h"
#include "Settings.h"
#include "StandardOutput.h"
#include "StopSignals.h"
#include "TreeResults.h"
#include "VerdictReport.h"
#include "VerificationRun.h"

#include <QCoreApplication>
#include <QHash>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <unistd.h>

namespace {

void writeError(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

// Names in the folder are whatever its maker chose; none may act on the terminal.
QString shown(const std::filesystem::path& path)
{
    return TerminalPath(path.native());
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

// What the check judged is kept even when it stopped early; a store that
// cannot be written costs the next run its history, not this one its verdicts.
void saveResults(ResultsStore& store, const BookmarkModel& tree)
{
    QString error;
    if (!SaveKeptResults(store, tree, &error))
        writeError(QStringLiteral("orvanta: the results could not be kept: ") + error + u'\n');
}

// The run's last word, as the window's status bar gives it: in text, for
// the person at the terminal; the machine formats keep standard error for
// problems, and every format warns when no server answered.
void closeStory(const RunTally& tally, bool stopped, ReportFormat format)
{
    if (ReachedNoServer(tally))
        writeError(QStringLiteral("orvanta: ") + NoServerAnsweredText() + u'\n');
    else if (format == ReportFormat::Text)
        writeError(RunSummaryText(tally, stopped) + u'\n');
}

// The tree of the folder, each folder that could not be read named.
std::vector<UnreadableFolder> loadTree(BookmarkModel& tree, const std::filesystem::path& folder)
{
    std::vector<UnreadableFolder> unreadable = LoadFavorites(tree, folder);
    for (const UnreadableFolder& each : unreadable)
        writeError(QStringLiteral("orvanta: ") + TerminalText(UnreadableFolderLine(each)) + u'\n');
    return unreadable;
}

// Writes the tree for a browser where the command line asks; the exit status.
int exportTree(const BookmarkModel& tree, const CommandLine& line)
{
    QString error;
    if (SaveBrowserBookmarks(tree, line.leaveOutDead, line.exportFile, &error))
        return 0;
    writeError(QStringLiteral("orvanta: the bookmarks could not be saved: ") + TerminalText(error) +
               u'\n');
    return 4;
}

// The folder the command line names; nothing once the reason it cannot be
// read is written.
std::optional<std::filesystem::path> folderToRead(const CommandLine& line)
{
    std::filesystem::path folder = FindFavoritesFolder(line.folder);
    if (const QString problem = folderProblem(folder); !problem.isEmpty()) {
        writeError(QStringLiteral("orvanta: ") + problem + u'\n');
        return std::nullopt;
    }
    return folder;
}

} // namespace

int RunCheck(const CommandLine& line, int& argc, char** argv)
{
    const QCoreApplication app(argc, argv);
    const std::optional<std::filesystem::path> found = folderToRead(line);
    if (!found)
        return 2;
    const std::filesystem::path& folder = *found;

    Settings settings;
    if (settings.loadOptions(ConfigFilePath()) == Settings::LoadStatus::Refused)
        writeError(QStringLiteral("orvanta: Config.ini is not read: ") +
                   TerminalText(OwnFileRefusal(ConfigFilePath())) + u'\n');
    if (line.proxy)
        settings.proxy = *line.proxy;
    if (line.jobs)
        settings.linksAtOnce = *line.jobs;

    BookmarkModel tree;
    const std::vector<UnreadableFolder> unreadable = loadTree(tree, folder);
    // The window's store of earlier results: the check adds its run to it.
    const QDateTime now = SystemClock()();
    std::optional<ResultsStore> store;
    if (const std::filesystem::path stateFolder = StateFolderPath(); !stateFolder.empty()) {
        store.emplace(stateFolder, folder);
        if (const QString problem = store->load(now); !problem.isEmpty())
            writeError(QStringLiteral("orvanta: ") + TerminalText(problem) + u'\n');
        HoldUnreadFolders(*store, unreadable);
    }
    const VerdictReport report(line.format, false, line.archive);
    VerificationRun run(tree, std::make_shared<const SharedProxySettings>(settings.proxy),
                        std::make_unique<CurlProbeEngine>(), settings.linksAtOnce);
    run.setJudgeMode(line.strict || settings.strictVerdicts ? JudgeMode::Strict
                                                            : JudgeMode::Person);
    run.setMaxHostWait(settings.maxHostWait);
    if (store)
        run.askFirst(LinksToAskFirst(tree, *store));
    if (const int error = WriteStandardOutput(report.header()))
        return ReportWriteFailure(error);
    // With --archive a dead link's line waits for its lookup, after the run;
    // the lookups need the store to keep their answers in.
    const bool lookups = line.archive && store;
    ArchiveLookupRun lookupRun;
    QList<ArchiveQuestion> questions;
    QHash<QByteArray, std::pair<const BookmarkEntry*, LinkVerdict>> waiting;
    int writeFailure = 0;
    NewProblems newProblems;
    const auto writeLine = [&](const BookmarkEntry& entry, const LinkVerdict& verdict) {
        const KeptResult* kept =
            store ? store->find(store->keyOf(entry.Path), entry.Link) : nullptr;
        writeFailure = WriteStandardOutput(report.entryLine(entry, folder, verdict, kept));
        // Nobody reads the verdicts any more: no request is made for another.
        if (writeFailure != 0) {
            run.abort();
            lookupRun.stop();
            QCoreApplication::quit();
        }
    };
    const auto writeWaiting = [&](const QByteArray& key) {
        const auto found = waiting.constFind(key);
        if (found == waiting.cend())
            return;
        const auto [entry, verdict] = *found;
        waiting.erase(found);
        if (writeFailure == 0)
            writeLine(*entry, verdict);
    };
    const auto writeVerdict = [&](BookmarkNode* node, const LinkVerdict& verdict) {
        const BookmarkEntry* entry = BookmarkModel::entry(node);
        if (line.notify)
            newProblems.note(entry->Title,
                             store ? store->find(store->keyOf(entry->Path), entry->Link) : nullptr,
                             verdict.judgement.verdict);
        if (store)
            KeepVerdict(*store, *entry, verdict.judgement, now);
        if (lookups) {
            if (auto question = ArchiveQuestionOf(*store, *entry, now)) {
                waiting.insert(question->key, {entry, verdict});
                questions.append(*std::move(question));
                return;
            }
        }
        writeLine(*entry, verdict);
    };
    QObject::connect(&run, &VerificationRun::verdictStored, writeVerdict);
    QObject::connect(&run, &VerificationRun::tallied, [](VerificationRun* r) { showProgress(*r); });
    // Ctrl+C, a kill or a closed terminal stops the run as Stop does, so
    // what was judged is kept; during the lookups, it ends them.
    const StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::arrived, &run, &VerificationRun::stop);
    QObject::connect(&stopSignals, &StopSignals::arrived, &app, [&lookupRun] {
        if (lookupRun.running()) {
            lookupRun.stop();
            QCoreApplication::quit();
        }
    });
    QObject::connect(
        &run, &VerificationRun::ended, &app,
        [&] {
            clearProgress();
            // Asked in tree order, as the window asks them, not in the order
            // the verdicts came.
            if (!questions.isEmpty())
                questions = ArchiveQuestions(tree, *store, now);
            if (writeFailure == 0 && stopSignals.received() == 0 && !questions.isEmpty() &&
                lookupRun.start(settings.archiveAddress, questions))
                return;
            QCoreApplication::quit();
        },
        Qt::QueuedConnection);
    QObject::connect(&lookupRun, &ArchiveLookupRun::answered,
                     [&](const ArchiveQuestion& question, const ArchiveAnswer& answer) {
                         KeepArchiveAnswer(tree, *store, question, answer, now);
                         writeWaiting(question.key);
                     });
    QObject::connect(&lookupRun, &ArchiveLookupRun::finished, [](ArchiveEnd end) {
        if (const QString text = ArchiveEndText(end); !text.isEmpty())
            writeError(QStringLiteral("orvanta: ") + text + u'\n');
        QCoreApplication::quit();
    });

    if (!run.start()) {
        writeError(QStringLiteral("orvanta: the checking thread could not be started\n"));
        return 2;
    }
    QCoreApplication::exec();
    clearProgress();
    // Links whose lookup did not come still get their line, in run order.
    for (const ArchiveQuestion& question : questions)
        writeWaiting(question.key);
    if (store)
        saveResults(*store, tree);
    const int signalNumber = stopSignals.received();
    const RunTally tally = run.tally();
    // Output that could not be written ends with the line that says why.
    if (writeFailure == 0)
        closeStory(tally, run.isStopped() || signalNumber != 0, line.format);
    // A check stopped by a signal (its timer's service stopped, Ctrl+C)
    // ends at once rather than wait on a notice.
    if (signalNumber != 0)
        return StopSignals::exitStatusOf(signalNumber);
    if (writeFailure != 0)
        return ReportWriteFailure(writeFailure);
    // The file is written before the notice, which may wait for its button.
    const int exportStatus = line.exportFile.empty() ? 0 : exportTree(tree, line);
    if (const QString problem = NotifyNewProblems(newProblems, folder, now); !problem.isEmpty())
        writeError(QStringLiteral("orvanta: ") + problem + u'\n');
    if (exportStatus != 0)
        return exportStatus;
    return tally.dead > 0 ? 1 : 0;
}

int RunExport(const CommandLine& line, int& argc, char** argv)
{
    const QCoreApplication app(argc, argv);
    const std::optional<std::filesystem::path> found = folderToRead(line);
    if (!found)
        return 2;
    const std::filesystem::path& folder = *found;
    BookmarkModel tree;
    loadTree(tree, folder);
    return exportTree(tree, line);
}
