// Config.ini under stress: saves killed at any moment, and a file far bigger
// than the program ever writes.
#include "ProfileFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <random>
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
