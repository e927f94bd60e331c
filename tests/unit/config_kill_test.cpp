// Config.ini under stress: saves killed at any moment, and a file far bigger
// than the program ever writes.
#include "ProcessSignals.h"
#include "ProfileFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const QString Options = QStringLiteral("Options");
const QString Port = QStringLiteral("Port");
const QString ShortPort = QStringLiteral("80");
// A different length, so a half-written file cannot pass for either.
const QString LongPort = QString(3000, u'8');

// A Config.ini whose Options section sits between two big other sections.
QByteArray configWithPort(const QString& port)
{
    QByteArray bytes;
    bytes += "[Before]\r\n";
    for (int i = 0; i < 1500; ++i)
        bytes += "key" + QByteArray::number(i) + "=" + QByteArray(40, char('a' + i % 26)) + "\r\n";
    bytes += "[Options]\r\nProxy=proxy.example\r\nPort=" + port.toUtf8() + "\r\nUseProxy=1\r\n";
    bytes += "[After]\r\n";
    for (int i = 0; i < 1500; ++i)
        bytes += "other" + QByteArray::number(i) + "=" + QByteArray(40, 'z') + "\r\n";
    return bytes;
}

QByteArray readAll(const fs::path& path)
{
    const std::string bytes = ReadFileBytes(path);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// Everything in the folder but the file itself: what saves left behind.
int strayFiles(const fs::path& folder, const fs::path& file)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path() != file)
            ++count;
    }
    return count;
}

// The child: load, flip the port between its two values, save; again and
// again until killed. One byte on the pipe after each completed save.
[[noreturn]] void saveForever(const fs::path& path, int progress)
{
    ProfileFile profile(path);
    for (;;) {
        if (!profile.load())
            ::_exit(2);
        const bool isShort = profile.value(Options, Port) == ShortPort;
        profile.setValue(Options, Port, isShort ? LongPort : ShortPort);
        if (!profile.save())
            ::_exit(3);
        const char saved = 1;
        if (::write(progress, &saved, 1) != 1)
            ::_exit(4);
    }
}

// A save in a child process under a 4 KiB file-size limit, with or without
// the program's own signal set-up. Gives the child's exit code (0 saved, 1
// refused with EFBIG's message, 2 refused otherwise), or minus the signal
// that ended it.
int saveUnderSizeLimit(const fs::path& path, bool programSignals)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (programSignals)
            SetUpProcessSignals();
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ProfileFile profile(path);
        if (!profile.load())
            ::_exit(2);
        profile.setValue(Options, Port, LongPort);
        QString error;
        if (profile.save(&error))
            ::_exit(0);
        ::_exit(error.endsWith(QString::fromLocal8Bit(std::strerror(EFBIG))) ? 1 : 2);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return 3;
    return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
}

} // namespace

TEST(ConfigKillTest, SaveKilledAtAnyMomentLeavesTheOldOrTheNewFileAndOneStrayFileAtMost)
{
    TempDir temp;
    const fs::path folder = temp.mkdir("Orvanta");
    const fs::path path = folder / "Config.ini";
    const QByteArray shortFile = configWithPort(ShortPort);
    const QByteArray longFile = configWithPort(LongPort);
    temp.write("Orvanta/Config.ini", shortFile.toStdString());

    std::mt19937 random(20240601); // fixed, so a failure can be replayed
    int seenShort = 0;
    int seenLong = 0;
    constexpr int Kills = 200;
    for (int kill = 0; kill < Kills; ++kill) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            saveForever(path, pipeFds[1]);
        }
        ::close(pipeFds[1]);
        // Let a few saves complete now and then, then kill at a random point
        // of the next one.
        const int completed = int(random() % 3);
        char saved;
        for (int i = 0; i < completed; ++i)
            ASSERT_EQ(::read(pipeFds[0], &saved, 1), 1) << "the saving child ended by itself";
        ::usleep(useconds_t(random() % 4000));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(pipeFds[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "child exited with " << WEXITSTATUS(status);

        const QByteArray now = readAll(path);
        ASSERT_TRUE(now == shortFile || now == longFile)
            << "after kill " << kill << " the file holds " << now.size() << " bytes";
        (now == shortFile ? seenShort : seenLong)++;
        ASSERT_LE(strayFiles(folder, path), 1) << "after kill " << kill;
    }
    EXPECT_GT(seenShort, 0);
    EXPECT_GT(seenLong, 0);

    // The next save that completes takes whatever a killed one left behind.
    ProfileFile profile(path);
    ASSERT_TRUE(profile.load());
    profile.setValue(Options, QStringLiteral("UseProxy"), QStringLiteral("0"));
    ASSERT_TRUE(profile.save());
    EXPECT_EQ(strayFiles(folder, path), 0);
}

TEST(ConfigKillTest, SavesOfOneFileAtTheSameTimeTakeTurnsAndAllSucceed)
{
    TempDir temp;
    const fs::path folder = temp.mkdir("Orvanta");
    const fs::path path = folder / "Config.ini";
    const QByteArray shortFile = configWithPort(ShortPort);
    const QByteArray longFile = configWithPort(LongPort);
    std::atomic_int failures{0};
    const auto saveRepeatedly = [&](const QByteArray& bytes) {
        ProfileFile profile(path);
        profile.loadFromBytes(bytes);
        for (int i = 0; i < 100; ++i) {
            if (!profile.save())
                ++failures;
        }
    };
    std::thread first(saveRepeatedly, shortFile);
    std::thread second(saveRepeatedly, longFile);
    first.join();
    second.join();
    EXPECT_EQ(failures, 0);
    const QByteArray now = readAll(path);
    EXPECT_TRUE(now == shortFile || now == longFile);
    EXPECT_EQ(strayFiles(folder, path), 0);
}

TEST(ConfigKillTest, TenMegabyteFileWithTenThousandSectionsIsEditedNearItsEnd)
{
    TempDir temp;
    QByteArray original;
    original.reserve(11 * 1024 * 1024);
    for (int section = 0; section < 10000; ++section) {
        original += "[Section" + QByteArray::number(section) + "]\n";
        for (int key = 0; key < 10; ++key)
            original +=
                "k" + QByteArray::number(key) + "=" + QByteArray(100, char('a' + key)) + "\n";
    }
    ASSERT_GT(original.size(), 10 * 1000 * 1000);
    const fs::path path = temp.write("Config.ini", original.toStdString());

    ProfileFile profile(path);
    ASSERT_TRUE(profile.load());
    EXPECT_EQ(profile.value("Section9990", "k9"), QString(100, u'j'));
    profile.setValue("Section9990", "k3", "changed");
    profile.setValue("Section9999", "added", "1");
    profile.setValue("Options", "Port", "8080");
    ASSERT_TRUE(profile.save());

    // Every other byte is where it was.
    QByteArray expected = original;
    const QByteArray oldLine = "k3=" + QByteArray(100, 'd') + "\n";
    const qsizetype at = expected.indexOf(oldLine, expected.indexOf("[Section9990]\n"));
    expected.replace(at, oldLine.size(), "k3=changed\n");
    expected += "added=1\n[Options]\nPort=8080\n";
    EXPECT_TRUE(readAll(path) == expected);

    ProfileFile reloaded(path);
    ASSERT_TRUE(reloaded.load());
    EXPECT_EQ(reloaded.value("Section9990", "k3"), "changed");
    EXPECT_EQ(reloaded.value("section9999", "ADDED"), "1");
    EXPECT_EQ(reloaded.value("Options", "Port"), "8080");
    EXPECT_EQ(reloaded.value("Section0", "k0"), QString(100, u'a'));
}

TEST(ConfigKillTest, SavePastAFileSizeLimitFailsWithAnErrorInsteadOfKillingTheProgram)
{
    TempDir temp;
    const fs::path folder = temp.mkdir("Orvanta");
    const fs::path path = folder / "Config.ini";
    const QByteArray before = configWithPort(ShortPort);
    temp.write("Orvanta/Config.ini", before.toStdString());

    // Without the program's set-up the limit kills; with it the save reports.
    EXPECT_EQ(saveUnderSizeLimit(path, false), -SIGXFSZ);
    EXPECT_EQ(saveUnderSizeLimit(path, true), 1);
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(strayFiles(folder, path), 0);
}

TEST(ConfigKillTest, ThingsPlantedAtTheTemporaryNameNeitherBlockTheSaveNorGetTouched)
{
    TempDir temp;
    const fs::path folder = temp.mkdir("Orvanta");
    const fs::path path = folder / "Config.ini";
    const fs::path temporary = folder / ".Config.ini.saving";
    const fs::path outside = temp.write("outside/keep.txt", "keep");
    temp.write("Orvanta/Config.ini", configWithPort(ShortPort).toStdString());

    const std::vector<std::function<void()>> plants = {
        [&] { fs::create_symlink(outside, temporary); },
        [&] { fs::create_directory_symlink(outside.parent_path(), temporary); },
        [&] { fs::create_symlink(folder / "nowhere", temporary); },
        [&] { ASSERT_EQ(::mkfifo(temporary.c_str(), 0644), 0); },
        [&] { fs::create_directory(temporary); },
    };
    for (size_t i = 0; i < plants.size(); ++i) {
        plants[i]();
        ProfileFile profile(path);
        ASSERT_TRUE(profile.load());
        const QString port = QString::number(8000 + i);
        profile.setValue(Options, Port, port);
        QString error;
        EXPECT_TRUE(profile.save(&error)) << "planted thing " << i << ": " << error.toStdString();
        ASSERT_TRUE(profile.load());
        EXPECT_EQ(profile.value(Options, Port), port) << i;
        EXPECT_FALSE(fs::exists(fs::symlink_status(temporary))) << i;
        EXPECT_EQ(strayFiles(folder, path), 0) << i;
    }

    // A directory with contents is no one's save and stays as it was, again
    // and again; the saves go through another name.
    temp.write("Orvanta/.Config.ini.saving/mine.txt", "mine");
    for (int save = 0; save < 2; ++save) {
        ProfileFile profile(path);
        ASSERT_TRUE(profile.load());
        profile.setValue(Options, Port, LongPort);
        QString error;
        EXPECT_TRUE(profile.save(&error)) << error.toStdString();
        EXPECT_EQ(strayFiles(folder, path), 1);
    }
    EXPECT_EQ(ReadFileBytes(temporary / "mine.txt"), "mine");
    EXPECT_EQ(ReadFileBytes(outside), "keep");
    EXPECT_EQ(fs::directory_iterator(outside.parent_path())->path(), outside);
}
