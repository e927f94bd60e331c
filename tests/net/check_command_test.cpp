#include "LocalHttpServer.h"
#include "PermissionBypass.h"
#include "RefusingPort.h"
#include "Settings.h"
#include "TempDir.h"
#include "TinyProxy.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Outcome
{
    int status = -1;
    QList<QByteArray> lines; // standard output, split at line ends
    QByteArray errors;
};

// Runs the built program as a user would from a console without any display
// and with a home of its own, so neither the desktop nor the machine's
// settings reach it. inChild runs in the new process before the program starts.
Outcome runOrvanta(const QStringList& arguments, const TempDir& home,
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
    QProcess process;
    process.setProcessEnvironment(environment);
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.start(QStringLiteral(ORVANTA_BINARY_DIR "/app/orvanta"), arguments);
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

TEST_F(CheckCommandTest, FoldersThatCannotBeReadAreNamedOnStandardErrorAndChangeNoStatus)
{
    const std::filesystem::path locked = home.mkdir("alive/locked");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    const Outcome outcome =
        runOrvanta({"--check", text(home / "alive")}, home, DropPermissionBypass);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.lines.size(), 2);
    EXPECT_EQ(outcome.errors.toStdString(),
              "orvanta: cannot read " + locked.string() + ": Permission denied\n");
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
    };
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
