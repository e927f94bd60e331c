#include "ArchiveStandIn.h"
#include "LocalHttpServer.h"
#include "NotificationService.h"
#include "PermissionBypass.h"
#include "RefusingPort.h"
#include "ResultsStore.h"
#include "Settings.h"
#include "SilentServer.h"
#include "TempDir.h"
#include "TinyProxy.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Outcome
{
    int status = -1;
    QList<QByteArray> lines; // standard output, split at line ends
    QByteArray errors;
};

// Starts the built program as a user would from a console without any
// display and with a home of its own, so neither the desktop nor the
// machine's settings reach it. inChild runs in the new process before the
// program starts. Its session bus is the test's own at sessionBus, else one
// that is not there: never the desktop's.
void startOrvanta(QProcess& process, const QStringList& arguments, const TempDir& home,
                  const std::function<void()>& inChild = {}, const QString& sessionBus = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "http_proxy",
                             "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                             "no_proxy", "NO_PROXY", "XDG_STATE_HOME"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(home.path().string()));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       sessionBus.isEmpty() ? QStringLiteral("unix:path=/nonexistent")
                                            : sessionBus);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       QString::fromStdString((home / ".config").string()));
    process.setProcessEnvironment(environment);
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.start(QStringLiteral(ORVANTA_BINARY_DIR "/app/orvanta"), arguments);
}

// The program's run to its end, with what it wrote.
Outcome outcomeOf(QProcess& process)
{
    EXPECT_TRUE(process.waitForFinished(120000));
    Outcome outcome;
    outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    const QByteArray out = process.readAllStandardOutput();
    outcome.lines = out.split('\n');
    if (outcome.lines.last().isEmpty())
        outcome.lines.removeLast();
    outcome.errors = process.readAllStandardError();
    return outcome;
}

// Takes the summary line off the end of what a text check wrote on
// standard error.
QByteArray takeSummary(Outcome& outcome)
{
    const qsizetype start = outcome.errors.lastIndexOf('\n', outcome.errors.size() - 2) + 1;
    const QByteArray summary = outcome.errors.mid(start);
    outcome.errors.truncate(start);
    return summary;
}

// "2 checked: 1 dead, 0 not sure, in 0.1 s", the window's words for a run
// that counted so; ", stopped" after the time when a signal stopped it.
bool isSummary(const QByteArray& line, const char* counts, bool stopped = false)
{
    static const QRegularExpression time(QStringLiteral(", in [0-9.]+ s(, stopped)?\n$"));
    const QRegularExpressionMatch end = time.match(QString::fromUtf8(line));
    return line.startsWith(counts) && end.hasMatch() && end.hasCaptured(1) == stopped;
}

Outcome runOrvanta(const QStringList& arguments, const TempDir& home,
                   const std::function<void()>& inChild = {}, const QString& sessionBus = {})
{
    QProcess process;
    startOrvanta(process, arguments, home, inChild, sessionBus);
    return outcomeOf(process);
}

// Polls cond, bounded so that a broken program cannot hang the test.
bool waitFor(const std::function<bool()>& cond)
{
    for (int tries = 0; tries < 2000 && !cond(); ++tries)
        QThread::msleep(10);
    return cond();
}

QString text(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

void writeShortcut(const TempDir& dir, const std::string& relative, const std::string& link)
{
    dir.write(relative, "[InternetShortcut]\r\nURL=" + link + "\r\n");
}

// The JSON lines of a check by their link.
std::map<QString, QJsonObject> byLink(const Outcome& outcome)
{
    std::map<QString, QJsonObject> lines;
    for (const QByteArray& line : outcome.lines) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        lines[object.value(u"link"_s).toString()] = object;
    }
    return lines;
}

class CheckCommandTest : public ::testing::Test
{
protected:
    CheckCommandTest()
    {
        writeShortcut(home, "alive/a.url", server.url("/ok"));
        writeShortcut(home, "alive/sub/b.url", server.url("/ok"));
        writeShortcut(home, "mixed/ok.url", server.url("/ok"));
        writeShortcut(home, "mixed/gone, \"really\".url", server.url("/gone"));
    }

    Outcome check(const QString& folder, const QStringList& options)
    {
        return runOrvanta(
            QStringList{QStringLiteral("--check"), text(home / folder.toStdString())} + options,
            home);
    }

    LocalHttpServer server{[](httplib::Server& routes) {
        routes.Get("/ok", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("ok", "text/plain");
        });
        routes.Get("/gone", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
        });
        routes.Get("/moved", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("/ok");
        });
        routes.Get("/moved-permanently", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("/ok", 301);
        });
        routes.Get(R"(/gone-\w+)", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
        });
        routes.Get(R"(/(\d{3})-nowhere)",
                   [](const httplib::Request& request, httplib::Response& response) {
                       response.status = std::stoi(request.matches[1]);
                   });
    }};
    TempDir home;
};

} // namespace

TEST_F(CheckCommandTest, EveryFormatReportsEachLinkAndExitsByTheDead)
{
    const QByteArray ok = QByteArray::fromStdString(server.url("/ok"));
    const QByteArray gone = QByteArray::fromStdString(server.url("/gone"));

    Outcome text = check(QStringLiteral("alive"), {});
    EXPECT_EQ(text.status, 0);
    std::sort(text.lines.begin(), text.lines.end());
    EXPECT_EQ(text.lines, (QList<QByteArray>{"alive\t200 OK\t" + ok + "\ta.url",
                                             "alive\t200 OK\t" + ok + "\tsub/b.url"}));
    // Standard error is no terminal here, so no progress clutters it: it
    // gets the summary alone, after the last link.
    EXPECT_TRUE(isSummary(text.errors, "2 checked: 0 dead, 0 not sure, "))
        << text.errors.constData();

    Outcome csv =
        check(QStringLiteral("mixed"), {QStringLiteral("--format"), QStringLiteral("csv")});
    EXPECT_EQ(csv.status, 1);
    ASSERT_EQ(csv.lines.size(), 3);
    EXPECT_EQ(csv.lines.takeFirst(), "verdict,reason,link,path\r");
    std::sort(csv.lines.begin(), csv.lines.end());
    EXPECT_EQ(csv.lines, (QList<QByteArray>{"alive,200 OK," + ok + ",ok.url\r",
                                            "dead,404 Not Found," + gone +
                                                ",\"gone, \"\"really\"\".url\"\r"}));
    // A program reads the machine formats; standard error is for problems.
    EXPECT_TRUE(csv.errors.isEmpty()) << csv.errors.constData();

    const Outcome json =
        check(QStringLiteral("mixed"), {QStringLiteral("--format"), QStringLiteral("json"),
                                        QStringLiteral("--jobs"), QStringLiteral("1")});
    EXPECT_EQ(json.status, 1);
    ASSERT_EQ(json.lines.size(), 2);
    const auto verdict = [](const QByteArray& line) {
        return QJsonDocument::fromJson(line).object().value(QStringLiteral("verdict")).toString();
    };
    EXPECT_EQ(QStringList({verdict(json.lines[0]), verdict(json.lines[1])}).count(u"dead"_s), 1);
    EXPECT_TRUE(json.errors.isEmpty()) << json.errors.constData();
}

TEST_F(CheckCommandTest, JsonCarriesTheDeadRunsAndLastAliveOfTheStoreItKeeps)
{
    const QStringList json{QStringLiteral("--format"), QStringLiteral("json")};
    const QString ok = QString::fromStdString(server.url("/ok"));
    const QString gone = QString::fromStdString(server.url("/gone"));

    auto first = byLink(check(QStringLiteral("mixed"), json));
    EXPECT_EQ(first[gone].value(u"deadRuns"_s).toInt(-1), 1);
    EXPECT_TRUE(first[gone].value(u"lastAlive"_s).isNull());
    EXPECT_EQ(first[ok].value(u"deadRuns"_s).toInt(-1), 0);
    const QString aliveAt = first[ok].value(u"lastAlive"_s).toString();
    EXPECT_TRUE(QDateTime::fromString(aliveAt, Qt::ISODate).isValid()) << aliveAt.toStdString();

    // The next run reads what the first one kept.
    auto second = byLink(check(QStringLiteral("mixed"), json));
    EXPECT_EQ(second[gone].value(u"deadRuns"_s).toInt(-1), 2);
    EXPECT_EQ(second[ok].value(u"deadRuns"_s).toInt(-1), 0);

    // A damaged store is set aside with one line on standard error, and the
    // count starts again.
    const std::filesystem::path state = home / ".local/state/Orvanta";
    ASSERT_TRUE(std::filesystem::is_directory(state));
    for (const auto& file : std::filesystem::directory_iterator(state))
        home.write(std::filesystem::relative(file.path(), home.path()), "{\"version\":1,");
    const Outcome damaged = check(QStringLiteral("mixed"), json);
    EXPECT_EQ(byLink(damaged)[gone].value(u"deadRuns"_s).toInt(-1), 1);
    EXPECT_EQ(damaged.errors.count('\n'), 1) << damaged.errors.constData();
    EXPECT_TRUE(damaged.errors.contains("set aside")) << damaged.errors.constData();
}

TEST_F(CheckCommandTest, NotifyTellsOnceOfTheLinksNewlyDeadOrUnsureAndNeverBlocksTheExit)
{
    const PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    const QStringList notify{QStringLiteral("--check"), text(home / "mixed"),
                             QStringLiteral("--notify"), QStringLiteral("--format"),
                             QStringLiteral("json")};
    const QString today = QLocale(QLocale::English).toString(QDate::currentDate(), u"d MMMM"_s);
    const struct
    {
        const char* what;
        std::string addedLink; // a shortcut "mixed/new.url" of this link, when set
        QString summary;       // of the one notice; none when empty
        QString body;
    } runs[] = {
        {"first run", "", u"1 bookmark has gone"_s, u"gone, \"really\""_s},
        {"nothing new", "", {}, {}},
        {"a new dead link", server.url("/410-nowhere"), u"1 bookmark has gone since "_s + today,
         u"new"_s},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.what);
        if (!run.addedLink.empty())
            writeShortcut(home, "mixed/new.url", run.addedLink);
        const NotificationService service(bus.address(), {u"body"_s, u"actions"_s},
                                          NotificationService::Answer::Close);
        const Outcome outcome = runOrvanta(notify, home, {}, bus.address());
        EXPECT_EQ(outcome.status, 1);
        EXPECT_TRUE(outcome.errors.isEmpty()) << outcome.errors.constData();
        const auto notices = service.notices();
        ASSERT_EQ(notices.size(), run.summary.isEmpty() ? 0 : 1);
        if (notices.isEmpty())
            continue;
        EXPECT_EQ(notices[0].appName, u"Orvanta"_s);
        EXPECT_EQ(notices[0].summary, run.summary);
        EXPECT_EQ(notices[0].body, run.body);
        EXPECT_EQ(notices[0].actions, (QStringList{u"show"_s, u"Show"_s}));
    }

    // Without a notification service the check says so and ends as it would.
    std::filesystem::remove_all(home / ".local/state");
    const Outcome alone = runOrvanta(notify, home, {}, bus.address());
    EXPECT_EQ(alone.status, 1);
    EXPECT_EQ(alone.errors,
              "orvanta: no desktop notice sent: no notification service on the session bus\n");
}

TEST_F(CheckCommandTest, LinksOfAFolderThatCouldNotBeReadKeepTheirHistory)
{
    writeShortcut(home, "mixed/locked/gone.url", server.url("/404-nowhere"));
    const QString gone = QString::fromStdString(server.url("/404-nowhere"));
    const QStringList json{u"--check"_s, text(home / "mixed"), u"--format"_s, u"json"_s};
    const auto deadRuns = [&] {
        return byLink(runOrvanta(json, home))[gone].value(u"deadRuns"_s).toInt(-1);
    };
    deadRuns();
    EXPECT_EQ(deadRuns(), 2);

    // A bad day: the folder cannot be read, so its link is not checked at all.
    const std::filesystem::path locked = home / "mixed/locked";
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    const Outcome unread = runOrvanta(json, home, DropPermissionBypass);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    EXPECT_EQ(unread.lines.size(), 2);
    EXPECT_EQ(byLink(unread).count(gone), 0u);

    EXPECT_EQ(deadRuns(), 3);
}

TEST_F(CheckCommandTest, FoldersOfAnotherUserAreNamedOnceOnStandardErrorAndNeverUsed)
{
    // A proxy that would fail every link, were Config.ini read.
    const RefusingPort refusing;
    const std::filesystem::path config = home.mkdir(".config/Orvanta");
    Settings settings;
    settings.proxy = {true, QStringLiteral("127.0.0.1"), QString::number(refusing.port())};
    ASSERT_TRUE(settings.saveOptions(config / "Config.ini").saved);
    const std::string configBytes = ReadFileBytes(config / "Config.ini");
    const std::filesystem::path state = home.mkdir(".local/state/Orvanta");
    for (const std::filesystem::path& folder : {config, state})
        ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);

    Outcome outcome = check(QStringLiteral("alive"), {});
    EXPECT_TRUE(isSummary(takeSummary(outcome), "2 checked: 0 dead, "));
    EXPECT_EQ(outcome.status, 0);
    ASSERT_EQ(outcome.lines.size(), 2);
    EXPECT_TRUE(outcome.lines.first().startsWith("alive\t200 OK")) << outcome.lines.first().data();
    EXPECT_EQ(outcome.errors.toStdString(), "orvanta: Config.ini is not read: " + config.string() +
                                                " belongs to another user\n"
                                                "orvanta: The results of runs are not kept: " +
                                                state.string() + " belongs to another user\n");
    EXPECT_EQ(ReadFileBytes(config / "Config.ini"), configBytes);
    EXPECT_TRUE(std::filesystem::is_empty(state));
}

TEST_F(CheckCommandTest, FoldersThatCannotBeReadAreNamedOnStandardErrorAndChangeNoStatus)
{
    // Its name would erase the line and turn the rest of it around.
    const std::filesystem::path locked = home.mkdir("alive/locked\x1b[2K\xe2\x80\xae");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    Outcome outcome = runOrvanta({"--check", text(home / "alive")}, home, DropPermissionBypass);
    EXPECT_TRUE(isSummary(takeSummary(outcome), "2 checked: 0 dead, "));
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.lines.size(), 2);
    EXPECT_EQ(outcome.errors.toStdString(), "orvanta: cannot read " + (home / "alive").string() +
                                                "/locked\\x1b[2K\\u202e: Permission denied\n");
}

TEST_F(CheckCommandTest, ProxyOptionOverridesTheConfiguredOne)
{
    const RefusingPort refusing;
    home.mkdir(".config/Orvanta");
    Settings settings;
    settings.proxy = {true, QStringLiteral("127.0.0.1"), QString::number(refusing.port())};
    ASSERT_TRUE(settings.saveOptions(home / ".config/Orvanta/Config.ini").saved);

    const Outcome configured = check(QStringLiteral("alive"), {});
    // A proxy that fails says nothing of the pages behind it.
    EXPECT_EQ(configured.status, 0);
    ASSERT_FALSE(configured.lines.isEmpty());
    EXPECT_TRUE(configured.lines.first().startsWith("unsure\tproxy failure"))
        << configured.lines.first().constData();
    EXPECT_EQ(configured.errors, "orvanta: No server answered: the network or proxy may be down\n");

    const TempDir proxyFolder;
    const TinyProxy proxy(proxyFolder.path());
    const Outcome overridden =
        check(QStringLiteral("alive"),
              {QStringLiteral("--proxy"), QStringLiteral("127.0.0.1:%1").arg(proxy.port())});
    EXPECT_EQ(overridden.status, 0);
    EXPECT_EQ(overridden.lines.size(), 2);
}

TEST_F(CheckCommandTest, WrongCommandLinesGiveOneErrorLineAndStatusTwo)
{
    const QString file = text(home / "mixed/ok.url");
    QList<QStringList> wrong = {
        {QStringLiteral("--no-such-option")},
        {QStringLiteral("--check"), text(home / "missing")},
        {QStringLiteral("--check"), file},
        {QStringLiteral("--check"), QStringLiteral("--jobs"), QStringLiteral("0")},
        {QStringLiteral("--check"), QStringLiteral("--jobs"), QStringLiteral("4x")},
        {QStringLiteral("--check"), QStringLiteral("--proxy"), u"u:secret@127.0.0.1"_s},
        {QStringLiteral("--check"), QStringLiteral("--proxy"), QStringLiteral("127.0.0.1:65536")},
        {QStringLiteral("--check"), QStringLiteral("--format"), QStringLiteral("xml")},
        {QStringLiteral("--check"), text(home / "alive"), text(home / "mixed")},
        {QStringLiteral("--check"), QStringLiteral("--jobs"), QStringLiteral("257")},
        {QStringLiteral("--jobs"), QStringLiteral("4")},
        {QStringLiteral("--strict")},
        {QStringLiteral("--notify")},
        {QStringLiteral("--show"), QStringLiteral("gone")},
        {QStringLiteral("--check"), QStringLiteral("--show"), QStringLiteral("dead")},
        {QStringLiteral("--archive")},
        // An unset variable, not a wish for ~/Favorites (which is there).
        {QStringLiteral("--check"), QString()},
        {u"--export-html"_s, QString()},
        {u"--export-html"_s, text(home / "b.html"), text(home / "missing")},
        {u"--export-html"_s, text(home / "b.html"), u"--jobs"_s, u"4"_s},
        // Which links are dead only a check can tell.
        {u"--export-html"_s, text(home / "b.html"), u"--leave-out-dead"_s},
        {u"--check"_s, u"--leave-out-dead"_s},
    };
    home.mkdir("Favorites");
    // Permissions do not hold back root, so only others see the folder refused.
    if (geteuid() != 0) {
        home.mkdir("locked");
        std::filesystem::permissions(home / "locked", std::filesystem::perms::none);
        wrong.append({QStringLiteral("--check"), text(home / "locked")});
    }
    for (const QStringList& arguments : wrong) {
        const Outcome outcome = runOrvanta(arguments, home);
        const QString shown = arguments.join(u' ');
        EXPECT_EQ(outcome.status, 2) << qPrintable(shown);
        EXPECT_TRUE(outcome.lines.isEmpty()) << qPrintable(shown);
        EXPECT_TRUE(outcome.errors.startsWith("orvanta: ")) << qPrintable(shown);
        EXPECT_EQ(outcome.errors.count('\n'), 1) << qPrintable(shown);
        EXPECT_FALSE(outcome.errors.contains("secret")) << outcome.errors.constData();
    }

    // An option is named as it was typed, dashes and all.
    const std::pair<QStringList, QByteArray> named[] = {
        {{u"--bogus"_s}, "Unknown option '--bogus'."},
        {{u"-x"_s}, "Unknown option '-x'."},
        {{u"--check"_s, u"-hz"_s, u"--bogus=1"_s}, "Unknown options '-z', '--bogus'."},
        {{u"--check"_s, u"--format=bogus"_s}, "--format must be text, csv or json, not 'bogus'"},
        {{u"--check"_s, u"--format"_s}, "Missing value after '--format'."},
        // After "--" it is a folder's name, however it begins.
        {{u"--check"_s, u"--"_s, u"-x"_s},
         "no such folder: " +
             QByteArray::fromStdString((std::filesystem::current_path() / "-x").string())},
    };
    for (const auto& [arguments, error] : named) {
        const Outcome outcome = runOrvanta(arguments, home);
        EXPECT_EQ(outcome.status, 2) << qPrintable(arguments.join(u' '));
        EXPECT_EQ(outcome.errors, "orvanta: " + error + '\n');
    }
}

TEST_F(CheckCommandTest, ExportHtmlWritesTheTreeAloneOrAfterACheckWithoutTheDeadWhenAsked)
{
    const std::filesystem::path file = home / "bookmarks.html";
    const auto links = [&] {
        static const QRegularExpression link(uR"re(<A HREF="([^"]*)"[^>]*>([^<]*)</A>)re"_s);
        QStringList found;
        for (const auto& match : link.globalMatch(QString::fromStdString(ReadFileBytes(file))))
            found << match.captured(2) + " " + match.captured(1);
        found.sort();
        return found;
    };
    const QString ok = QString::fromStdString(server.url("/ok"));
    const QString gone = QString::fromStdString(server.url("/gone"));
    const QStringList both = {"gone, &quot;really&quot; " + gone, "ok " + ok};

    // Alone it asks no server and prints nothing.
    Outcome alone = runOrvanta({u"--export-html"_s, text(file), text(home / "mixed")}, home);
    EXPECT_EQ(alone.status, 0);
    EXPECT_TRUE(alone.lines.isEmpty());
    EXPECT_TRUE(alone.errors.isEmpty()) << alone.errors.constData();
    EXPECT_EQ(links(), both);

    std::filesystem::remove(file);
    Outcome checked = check(u"mixed"_s, {u"--export-html"_s, text(file), u"--format"_s, u"csv"_s});
    EXPECT_EQ(checked.status, 1);
    EXPECT_EQ(checked.lines.size(), 3);
    EXPECT_EQ(links(), both);
    checked = check(u"mixed"_s, {u"--export-html"_s, text(file), u"--leave-out-dead"_s});
    EXPECT_EQ(checked.status, 1);
    EXPECT_EQ(links(), QStringList{"ok " + ok});

    // A file that cannot be written is named, with a status of its own.
    const Outcome unwritten =
        runOrvanta({u"--export-html"_s, text(home / "missing/b.html"), text(home / "mixed")}, home);
    EXPECT_EQ(unwritten.status, 4);
    EXPECT_TRUE(unwritten.errors.startsWith("orvanta: the bookmarks could not be saved: "))
        << unwritten.errors.constData();
}

TEST_F(CheckCommandTest, PasswordsInLinksAreNeverPrinted)
{
    // Redirected, so the link is in the reason and the final address too.
    writeShortcut(home, "private/a.url", "http://user:secret@" + server.hostAndPort("/moved"));
    const QByteArray json = check(u"private"_s, {u"--format"_s, u"json"_s}).lines.join('\n');
    EXPECT_EQ(json.count("user:***@"), 3) << json.constData();
    EXPECT_FALSE(json.contains("secret"));
}

TEST_F(CheckCommandTest, HelpAndVersionNeedNoDisplay)
{
    const Outcome help = runOrvanta({QStringLiteral("--help")}, home);
    EXPECT_EQ(help.status, 0);
    ASSERT_FALSE(help.lines.isEmpty());
    EXPECT_TRUE(help.lines.first().startsWith("Usage: orvanta"));

    const Outcome version = runOrvanta({QStringLiteral("--version")}, home);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.lines, QList<QByteArray>{"Orvanta 1.0.0.0"});
}

TEST_F(CheckCommandTest, AReportThatCannotBeWrittenStopsTheCheckWithStatusThree)
{
    // Each answer takes a while, so a check that went on would be seen asking.
    LocalHttpServer slow{[](httplib::Server& routes) {
        routes.Get(".*", [](const httplib::Request&, httplib::Response& response) {
            QThread::msleep(100);
            response.set_content("ok", "text/plain");
        });
    }};
    for (int i = 0; i < 50; ++i)
        writeShortcut(home, "slow/" + std::to_string(i) + ".url", slow.url("/"));
    const struct
    {
        void (*inChild)();
        const char* why;
    } outputs[] = {
        {[] { dup2(open("/dev/full", O_WRONLY), STDOUT_FILENO); }, "No space left on device"},
        {[] { close(STDOUT_FILENO); }, "Bad file descriptor"},
        // A reader gone, with SIGPIPE ignored as some shells and services leave it.
        {[] {
             int ends[2];
             if (pipe(ends) == 0 && dup2(ends[1], STDOUT_FILENO) >= 0)
                 close(ends[0]);
             signal(SIGPIPE, SIG_IGN);
         },
         "Broken pipe"},
    };
    for (const auto& output : outputs) {
        slow.clearRequests();
        const Outcome outcome = runOrvanta({"--check"_L1, text(home / "slow"), "--jobs"_L1, "2"_L1},
                                           home, output.inChild);
        EXPECT_EQ(outcome.status, 3) << output.why;
        EXPECT_EQ(outcome.errors,
                  QByteArray("orvanta: cannot write to standard output: ") + output.why + '\n');
        // The first verdict fails to go out; only the few links begun by then are asked for.
        EXPECT_LT(slow.requests().size(), 10u) << output.why;
    }
}

TEST_F(CheckCommandTest, LiveLinksStayAliveWhenOpenFilesRunShort)
{
    // Enough hosts that 128 transfers could run at once, six to a host.
    std::vector<std::unique_ptr<LocalHttpServer>> servers;
    for (int host = 0; host < 24; ++host) {
        servers.push_back(std::make_unique<LocalHttpServer>([](httplib::Server& routes) {
            routes.Get(".*", [](const httplib::Request&, httplib::Response& response) {
                response.set_content("ok", "text/plain");
            });
        }));
        for (int link = 0; link < 12; ++link)
            writeShortcut(home, "crowd/" + std::to_string(host * 12 + link) + ".url",
                          servers.back()->url("/"));
    }
    const Outcome outcome =
        runOrvanta({"--check"_L1, text(home / "crowd"), "--jobs"_L1, "128"_L1}, home, [] {
            // Hard as well as soft, so raising the limit cannot help.
            const rlimit limit{128, 128};
            setrlimit(RLIMIT_NOFILE, &limit);
        });
    EXPECT_EQ(outcome.status, 0) << outcome.errors.constData();
    EXPECT_EQ(outcome.lines.size(), 24 * 12);
    for (const QByteArray& line : outcome.lines)
        EXPECT_TRUE(line.startsWith("alive\t200 OK\t")) << line.constData();
}

TEST_F(CheckCommandTest, StrictOldRuleAndAPersonsVerdictsOverTheEdgeCases)
{
    const std::string bare = server.hostAndPort("");
    const struct
    {
        std::string link;
        const char* strict; // the verdict by the old rule
        const char* person; // and a person's, with the requests it took
        int attempts;
    } cases[] = {
        {bare + "/ok", "alive", "alive", 1},
        {"HTTP://" + bare + "/ok", "alive", "alive", 1},
        // The old rule puts "http://" before the whole link, scheme and all.
        {"ftp://" + bare + "/ok", "dead", "unchecked", 0},
        // "http" anywhere keeps the old rule's prefix off.
        {bare + "/ok?seen=http", "dead", "alive", 1},
        // An empty file: nothing to ask for, by either rule.
        {"", "dead", "dead", 0},
        {server.url("/302-nowhere"), "alive", "alive", 1},
        {server.url("/301-nowhere"), "dead", "unsure", 1},
        {server.url("/307-nowhere"), "dead", "unsure", 1},
        {server.url("/moved"), "alive", "alive", 1},
        {server.url("/gone"), "dead", "dead", 1},
        {server.url("/403-nowhere"), "dead", "unsure", 1},
        {server.url("/500-nowhere"), "dead", "unsure", 2},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string name = "edge/" + std::to_string(i) + ".url";
        if (cases[i].link.empty())
            home.write(name, "");
        else
            writeShortcut(home, name, cases[i].link);
    }
    const auto verdicts = [&](const QStringList& options) {
        const Outcome outcome = check(u"edge"_s, QStringList{u"--format"_s, u"json"_s} + options);
        EXPECT_EQ(outcome.status, 1);
        std::map<std::string, QJsonObject> byLink;
        for (const QByteArray& line : outcome.lines) {
            const QJsonObject object = QJsonDocument::fromJson(line).object();
            EXPECT_EQ(byLink.count(object["link"].toString().toStdString()), 0u);
            byLink[object["link"].toString().toStdString()] = object;
        }
        return byLink;
    };
    std::map<std::string, QJsonObject> strict = verdicts({u"--strict"_s});
    std::map<std::string, QJsonObject> person = verdicts({});
    ASSERT_EQ(strict.size(), std::size(cases));
    ASSERT_EQ(person.size(), std::size(cases));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        EXPECT_EQ(strict[c.link]["verdict"].toString(), QLatin1String(c.strict));
        EXPECT_EQ(strict[c.link]["attempts"].toInt(-1), c.link.empty() ? 0 : 1);
        EXPECT_EQ(person[c.link]["verdict"].toString(), QLatin1String(c.person));
        EXPECT_EQ(person[c.link]["attempts"].toInt(-1), c.attempts);
    }
    EXPECT_EQ(strict[""]["reason"].toString(), u"the shortcut holds no link"_s);
    EXPECT_EQ(person[""]["reason"].toString(), u"the shortcut holds no link"_s);

    // Only redirects that all say "permanent" are called so.
    writeShortcut(home, "kept/permanent.url", server.url("/moved-permanently"));
    writeShortcut(home, "kept/temporary.url", server.url("/moved"));
    writeShortcut(home, "kept/forbidden.url", server.url("/403-nowhere"));
    writeShortcut(home, "kept/mail.url", "mailto:someone@example.org");
    const Outcome kept = check(u"kept"_s, {u"--format"_s, u"json"_s});
    // Not sure and not checked are no reason to fail.
    EXPECT_EQ(kept.status, 0);
    std::map<QString, bool> permanent;
    for (const QByteArray& line : kept.lines) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        permanent[object["path"].toString()] = object["permanent"].toBool();
    }
    EXPECT_EQ(permanent, (std::map<QString, bool>{{u"permanent.url"_s, true},
                                                  {u"temporary.url"_s, false},
                                                  {u"forbidden.url"_s, false},
                                                  {u"mail.url"_s, false}}));
    // StrictVerdicts=1 in Config.ini asks for the old rule as --strict does.
    home.write(".config/Orvanta/Config.ini", "[Options]\r\nStrictVerdicts=1\r\n");
    EXPECT_EQ(check(u"kept"_s, {}).status, 1);
}

TEST_F(CheckCommandTest, ASignalStopsTheCheckKeepsWhatWasJudgedAndExitsAsAShellExpects)
{
    const SilentServer slow; // takes every request and never answers
    const std::string slowLink = "http://127.0.0.1:" + std::to_string(slow.port()) + "/";
    writeShortcut(home, "signal/a-ok.url", server.url("/ok"));
    writeShortcut(home, "signal/b-gone.url", server.url("/gone"));
    for (int i = 0; i < 3; ++i)
        writeShortcut(home, "signal/c-slow" + std::to_string(i) + ".url", slowLink);
    const struct
    {
        std::vector<int> signalNumbers;
        QStringList options;
        int inFlight; // links asked of the slow server when the signals go
        int status;   // of a single signal
    } cases[] = {
        {{SIGINT}, {}, 3, 130},
        {{SIGTERM}, {}, 3, 143},
        {{SIGHUP}, {}, 3, 129},
        // The old rule lets its one probe finish; a second signal does not
        // wait for it. Threads may take the two in either order.
        {{SIGINT, SIGTERM}, {u"--strict"_s, u"--jobs"_s, u"1"_s}, 1, 0},
    };
    const std::filesystem::path state = home / ".local/state/Orvanta";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signalNumbers.size() > 1 ? std::string("two signals")
                                                : std::to_string(c.status));
        std::filesystem::remove_all(state);
        const int acceptedBefore = slow.acceptedCount();
        QProcess process;
        startOrvanta(process, QStringList{u"--check"_s, text(home / "signal")} + c.options, home);
        QByteArray printed;
        while (printed.count('\n') < 2 && process.waitForReadyRead(20000))
            printed += process.readAllStandardOutput();
        ASSERT_TRUE(waitFor([&] { return slow.acceptedCount() - acceptedBefore == c.inFlight; }));

        for (const int signalNumber : c.signalNumbers)
            ::kill(pid_t(process.processId()), signalNumber);
        const Outcome outcome = outcomeOf(process);

        // Only the judged links were printed, and only they are kept.
        EXPECT_EQ(printed.count('\n') + outcome.lines.size(), 2);
        if (c.signalNumbers.size() > 1) {
            EXPECT_TRUE(outcome.status == 130 || outcome.status == 143) << outcome.status;
            // Ended at once: not after the probe, when the results are saved.
            EXPECT_FALSE(std::filesystem::exists(state));
            continue;
        }
        EXPECT_EQ(outcome.status, c.status) << outcome.errors.constData();
        // Said as the window says it of a run stopped by hand.
        EXPECT_TRUE(isSummary(outcome.errors, "2 checked: 1 dead, ", true))
            << outcome.errors.constData();
        ResultsStore kept(state, home / "signal");
        EXPECT_EQ(kept.load(QDateTime::currentDateTimeUtc()), QString());
        EXPECT_EQ(kept.size(), 2);
        const KeptResult* ok = kept.find("a-ok.url", QString::fromStdString(server.url("/ok")));
        ASSERT_TRUE(ok);
        EXPECT_EQ(ok->verdict, Verdict::Alive);
        const KeptResult* gone =
            kept.find("b-gone.url", QString::fromStdString(server.url("/gone")));
        ASSERT_TRUE(gone);
        EXPECT_EQ(gone->verdict, Verdict::Dead);
    }
}

TEST_F(CheckCommandTest, WithArchiveADeadLinksLineWaitsForItsLookupAndNamesTheCopy)
{
    const ArchiveStandIn archive;
    home.write(".config/Orvanta/Config.ini",
               "[Options]\r\nArchiveAddress=" + archive.address().toStdString() + "\r\n");
    const QString ok = QString::fromStdString(server.url("/ok"));
    const QString found = QString::fromStdString(server.url("/gone-found"));
    const QString none = QString::fromStdString(server.url("/gone-none"));
    writeShortcut(home, "archive/a.url", ok.toStdString());
    writeShortcut(home, "archive/b.url", found.toStdString());
    writeShortcut(home, "archive/c.url", none.toStdString());
    const QStringList json{QStringLiteral("--format"), QStringLiteral("json")};

    // Without --archive nothing is asked, and lines are as they were.
    const Outcome plain = check(QStringLiteral("archive"), json);
    EXPECT_FALSE(plain.lines.front().contains("archived"));
    EXPECT_TRUE(archive.asked().empty());

    const Outcome looked = check(QStringLiteral("archive"), json + QStringList{"--archive"});
    EXPECT_EQ(looked.status, 1);
    ASSERT_EQ(looked.lines.size(), 3);
    // The dead links' lines come once their lookups are done, after the alive one.
    EXPECT_TRUE(looked.lines[0].contains(ok.toUtf8()));
    auto lines = byLink(looked);
    EXPECT_TRUE(lines[ok].value(u"archived"_s).isNull());
    EXPECT_TRUE(lines[none].value(u"archived"_s).isNull());
    ASSERT_EQ(archive.asked().size(), 2u);
    EXPECT_EQ(archive.asked()[0].link, found);
    EXPECT_EQ(archive.asked()[1].link, none);
    const QByteArray timestamp = archive.asked()[0].timestamp;
    EXPECT_EQ(lines[found].value(u"archived"_s).toObject().value(u"url"_s).toString(),
              ArchiveStandIn::copyOf(found, timestamp));
    EXPECT_EQ(lines[found].value(u"archived"_s).toObject().value(u"timestamp"_s).toString(),
              QString::fromLatin1(timestamp));

    // Kept: the next check names the copy without asking again, in text on
    // a line under the link.
    const Outcome text = check(QStringLiteral("archive"), {QStringLiteral("--archive")});
    EXPECT_EQ(archive.asked().size(), 2u);
    const auto line =
        std::find_if(text.lines.begin(), text.lines.end(),
                     [&](const QByteArray& each) { return each.contains(found.toUtf8()); });
    const qsizetype at = std::distance(text.lines.begin(), line);
    ASSERT_LT(at + 1, text.lines.size());
    EXPECT_EQ(text.lines[at + 1].toStdString(),
              "\tArchived copy from " +
                  ArchivedCopyDate(QString::fromLatin1(timestamp)).toStdString() + ": " +
                  ArchiveStandIn::copyOf(found, timestamp).toStdString());
    EXPECT_EQ(text.lines.size(), 4);
}
