#include "LinkOpening.h"
#include "Opener.h"
#include "TempDir.h"

#include <QtTest/QTest>
#include <filesystem>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString mail = QStringLiteral("mailto:support@orvanta.example?subject=Orvanta support");

} // namespace

TEST(Opener, ReplacedOpenerSeesEveryTargetAsGiven)
{
    QStringList opened;
    SetOpener([&opened](const QString& target, const OpenFailed&) { opened.append(target); });
    OpenTarget(mail);
    OpenTarget(QStringLiteral("-not-an-option"));
    SetOpener({});
    EXPECT_EQ(opened, (QStringList{mail, QStringLiteral("-not-an-option")}));
}

TEST(OpenerCommand, TargetIsOneArgumentOfXdgOpen)
{
    const QString tricky = QStringLiteral("http://x.example/?a=1&b=$(rm -rf ~);`id` 'q' \"d\"");
    EXPECT_EQ(OpenerCommand(tricky), (QStringList{QStringLiteral("xdg-open"), tricky}));
    EXPECT_EQ(OpenerCommand(mail), (QStringList{QStringLiteral("xdg-open"), mail}));
}

TEST(OpenerCommand, NothingToRunForOptionsOrEmptyText)
{
    EXPECT_TRUE(OpenerCommand(QStringLiteral("--help")).isEmpty());
    EXPECT_TRUE(OpenerCommand(QStringLiteral("-x")).isEmpty());
    EXPECT_TRUE(OpenerCommand(QString()).isEmpty());
}

namespace {

// A stand-in xdg-open in a folder of its own that PATH names alone, for the
// test's lifetime.
class FakeOpener final
{
public:
    explicit FakeOpener(const std::string& script) : savedPath_(qgetenv("PATH"))
    {
        if (!script.empty()) {
            const auto file = folder_.write("xdg-open", "#!/bin/sh\n" + script);
            std::filesystem::permissions(file, std::filesystem::perms::owner_all);
        }
        qputenv("PATH", QByteArray::fromStdString(folder_.path().string()));
    }
    ~FakeOpener() { qputenv("PATH", savedPath_); }

    std::filesystem::path operator/(const std::string& name) const { return folder_ / name; }

private:
    TempDir folder_;
    QByteArray savedPath_;
};

} // namespace

TEST(DefaultOpener, FailureIsReportedWithItsReasonWhenTheOpenerIsMissingFailsOrEndsInError)
{
    QStringList reasons;
    const OpenFailed note = [&reasons](const QString& why) { reasons << why; };
    {
        FakeOpener none("");
        OpenTarget(QStringLiteral("http://127.0.0.1/"), note);
        EXPECT_EQ(reasons, QStringList{u"no program to open links was found"_s});
    }
    reasons.clear();
    {
        // A text the opener would read as an option is refused, not handed over.
        FakeOpener opener("exit 0\n");
        OpenTarget(QStringLiteral("--help"), note);
        OpenTarget(QString(), note);
        EXPECT_EQ(reasons, (QStringList{u"a link must not begin with \"-\""_s, u"it is empty"_s}));
    }
    reasons.clear();
    FakeOpener good("printf '%s' \"$1\" > \"${0%/*}/opened\"\n");
    OpenTarget(mail, note);
    // The shell makes the file before it writes to it.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return ReadFileBytes(good / "opened") == mail.toStdString(); }));
    EXPECT_EQ(ReadFileBytes(good / "opened"), mail.toStdString());

    const std::pair<std::string, QString> failures[] = {
        {"exit 3\n", u"xdg-open exited with status 3"_s},
        {"kill -9 $$\n", u"xdg-open crashed"_s},
    };
    for (const auto& [script, reason] : failures) {
        FakeOpener bad(script);
        OpenTarget(mail, note);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !reasons.isEmpty(); }));
        // The good opener's run reported nothing.
        EXPECT_EQ(reasons, QStringList{reason});
        reasons.clear();
    }
}

TEST(LinkOpening, OnlyWebAndMailOpenWithoutAQuestion)
{
    // The scheme the user is asked about; none for what opens at once.
    const std::pair<QString, QString> cases[] = {
        {u"HTTPS://example.org/"_s, {}},       {mail, {}},
        {u"127.0.0.1:8080/x"_s, {}},           {u"FILE:///home/u/run.sh"_s, u"file"_s},
        {u"localhost:8080"_s, u"localhost"_s}, {u"~/run.sh"_s, u"file"_s},
    };
    for (const auto& [link, scheme] : cases)
        EXPECT_EQ(PlanLinkOpening(link).askedScheme, scheme) << link.toStdString();
    // A host name goes as the web address a browser takes it for.
    EXPECT_EQ(PlanLinkOpening(u"www.example.org/a"_s).target, u"http://www.example.org/a"_s);
}
