#include "LocalHttpServer.h"
#include "RefusingPort.h"
#include "Settings.h"
#include "TempDir.h"
#include "TinyProxy.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

#include <QScopeGuard>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>
#include <vector>

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
// program does.
void startOrvanta(QProcess& process, const QStringList& arguments, const TempDir& home,
                  const std::function<void()>& inChild = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "http_proxy", "HTTP_PROXY",
          "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(home.path().string()));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       QString::fromStdString((home / ".config").string()));
    process.setProcessEnvironment(environment);
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.start(QStringLiteral(ORVANTA_BINARY_DIR "/app/orvanta"), arguments);
}

Outcome runOrvanta(const QStringList& arguments, const TempDir& home,
                   const std::function<void(QProcess&)>& setUp = {},
                   const std::function<void()>& inChild = {})
{
    QProcess process;
    if (setUp)
        setUp(process);
    startOrvanta(process, arguments, home, inChild);
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

QString text(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

void writeShortcut(const TempDir& dir, const std::string& relative, const std::string& link)
{
    dir.write(relative, "[InternetShortcut]\r\nURL=" + link + "\r\n");
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
    // Standard error is no terminal here, so no progress clutters it.
    EXPECT_TRUE(text.errors.isEmpty()) << text.errors.constData();

    Outcome csv =
        check(QStringLiteral("mixed"), {QStringLiteral("--format"), QStringLiteral("csv")});
    EXPECT_EQ(csv.status, 1);
    ASSERT_EQ(csv.lines.size(), 3);
    EXPECT_EQ(csv.lines.takeFirst(), "verdict,reason,link,path\r");
    std::sort(csv.lines.begin(), csv.lines.end());
    EXPECT_EQ(csv.lines, (QList<QByteArray>{"alive,200 OK," + ok + ",ok.url\r",
                                            "dead,404 Not Found," + gone +
                                                ",\"gone, \"\"really\"\".url\"\r"}));

    const Outcome json =
        check(QStringLiteral("mixed"), {QStringLiteral("--format"), QStringLiteral("json"),
                                        QStringLiteral("--jobs"), QStringLiteral("1")});
    EXPECT_EQ(json.status, 1);
    ASSERT_EQ(json.lines.size(), 2);
    const auto verdict = [](const QByteArray& line) {
        return QJsonDocument::fromJson(line).object().value(QStringLiteral("verdict")).toString();
    };
    EXPECT_EQ(QStringList({verdict(json.lines[0]), verdict(json.lines[1])}).count(u"dead"_s), 1);
}

TEST_F(CheckCommandTest, ProxyOptionOverridesTheConfiguredOne)
{
    const RefusingPort refusing;
    home.mkdir(".config/Orvanta");
    Settings settings;
    settings.proxy = {true, QStringLiteral("127.0.0.1"), QString::number(refusing.port())};
    ASSERT_TRUE(settings.saveOptions(home / ".config/Orvanta/Config.ini").saved);

    const Outcome configured = check(QStringLiteral("alive"), {});
    EXPECT_EQ(configured.status, 1);
    ASSERT_FALSE(configured.lines.isEmpty());
    EXPECT_TRUE(configured.lines.first().contains("proxy failure"))
        << configured.lines.first().constData();

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
        {QStringLiteral("--check"), QStringLiteral("--proxy"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("--check"), QStringLiteral("--proxy"), QStringLiteral("127.0.0.1:65536")},
        {QStringLiteral("--check"), QStringLiteral("--format"), QStringLiteral("xml")},
        {QStringLiteral("--check"), text(home / "alive"), text(home / "mixed")},
        {QStringLiteral("--jobs"), QStringLiteral("4")},
        // An unset variable, not a wish for ~/Favorites (which is there).
        {QStringLiteral("--check"), QString()},
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
    }
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

namespace {

// Answers the first request at once and holds the later ones until opened;
// once open, each new one still takes a while, so that a program which goes
// on making requests is seen making them.
struct Gate
{
    void open()
    {
        const std::lock_guard lock(mutex);
        isOpen = true;
        changed.notify_all();
    }
    // Lets every request through at once, for the end of the test.
    void close()
    {
        const std::lock_guard lock(mutex);
        isOpen = closing = true;
        changed.notify_all();
    }
    void pass()
    {
        std::unique_lock lock(mutex);
        if (std::exchange(first, false))
            return;
        if (!isOpen) {
            changed.wait(lock, [this] { return isOpen; });
            return;
        }
        changed.wait_for(lock, std::chrono::milliseconds(200), [this] { return closing; });
    }

    std::mutex mutex;
    std::condition_variable changed;
    bool first = true;
    bool isOpen = false;
    bool closing = false;
};

// The first line the program writes into the pipe; empty if it never does.
QByteArray firstLine(int readEnd)
{
    QByteArray line;
    char byte = 0;
    while (!line.endsWith('\n') && read(readEnd, &byte, 1) == 1)
        line += byte;
    return line;
}

} // namespace

TEST_F(CheckCommandTest, AReportThatCannotBeWrittenStopsTheCheckWithStatusThree)
{
    const auto expectStop = [](const Outcome& outcome, const char* why) {
        EXPECT_EQ(outcome.status, 3) << why;
        EXPECT_EQ(outcome.errors,
                  QByteArray("orvanta: cannot write to standard output: ") + why + '\n');
    };
    expectStop(runOrvanta({QStringLiteral("--check"), text(home / "alive")}, home,
                          [](QProcess& process) {
                              process.setStandardOutputFile(QStringLiteral("/dev/full"));
                          }),
               "No space left on device");
    expectStop(runOrvanta({QStringLiteral("--check"), text(home / "alive")}, home, {},
                          [] { close(STDOUT_FILENO); }),
               "Bad file descriptor");

    // A reader that goes after one line, with SIGPIPE ignored as some shells
    // and services leave it: the links after it are never requested.
    Gate gate;
    const int links = 50;
    LocalHttpServer slow{[&gate](httplib::Server& routes) {
        routes.Get(".*", [&gate](const httplib::Request&, httplib::Response& response) {
            gate.pass();
            response.set_content("ok", "text/plain");
        });
    }};
    const auto closed = qScopeGuard([&gate] { gate.close(); });
    for (int i = 0; i < links; ++i)
        writeShortcut(home, "many/" + std::to_string(i) + ".url",
                      slow.url("/" + std::to_string(i)));
    int pipeEnds[2] = {-1, -1};
    ASSERT_EQ(pipe2(pipeEnds, O_CLOEXEC), 0);
    QProcess process;
    startOrvanta(process,
                 {QStringLiteral("--check"), text(home / "many"), QStringLiteral("--jobs"),
                  QStringLiteral("2")},
                 home, [writeEnd = pipeEnds[1]] {
                     dup2(writeEnd, STDOUT_FILENO);
                     signal(SIGPIPE, SIG_IGN);
                 });
    close(pipeEnds[1]);
    EXPECT_TRUE(firstLine(pipeEnds[0]).startsWith("alive"));
    close(pipeEnds[0]);
    gate.open();
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    expectStop({process.exitCode(), {}, process.readAllStandardError()}, "Broken pipe");
    // The first, the two held, and the two begun before their verdicts
    // failed to go out; the other 45 links are never asked for.
    EXPECT_LT(slow.requests().size(), 10u);
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
            writeShortcut(home,
                          "crowd/" + std::to_string(host) + "-" + std::to_string(link) + ".url",
                          servers.back()->url("/" + std::to_string(link)));
    }
    const Outcome outcome = runOrvanta({QStringLiteral("--check"), text(home / "crowd"),
                                        QStringLiteral("--jobs"), QStringLiteral("128")},
                                       home, {}, [] {
                                           // Hard as well as soft, so raising the limit cannot
                                           // help.
                                           const rlimit limit{128, 128};
                                           setrlimit(RLIMIT_NOFILE, &limit);
                                       });
    EXPECT_EQ(outcome.status, 0) << outcome.errors.constData();
    EXPECT_EQ(outcome.lines.size(), 24 * 12);
    for (const QByteArray& line : outcome.lines)
        EXPECT_TRUE(line.startsWith("alive\t200 OK\t")) << line.constData();
}
