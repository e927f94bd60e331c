#include "Opener.h"

#include <gtest/gtest.h>

namespace {

class Opener : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetOpener([this](const QString& target) { opened.append(target); });
    }
    void TearDown() override { SetOpener({}); }

    QStringList opened;
};

QStringList xdgOpen(const QString& target)
{
    return {QStringLiteral("xdg-open"), target};
}

} // namespace

TEST_F(Opener, ReplacedOpenerSeesEveryTargetAsGiven)
{
    OpenTarget(QStringLiteral("http://example.org/a b"));
    OpenTarget(QStringLiteral("mailto:support@orvanta.example?subject=Orvanta support"));
    OpenTarget(QStringLiteral("-not-an-option"));
    EXPECT_EQ(opened,
              (QStringList{QStringLiteral("http://example.org/a b"),
                           QStringLiteral("mailto:support@orvanta.example?subject=Orvanta support"),
                           QStringLiteral("-not-an-option")}));

    QStringList second;
    SetOpener([&second](const QString& target) { second.append(target); });
    OpenTarget(QStringLiteral("x"));
    EXPECT_EQ(second, QStringList{QStringLiteral("x")});
    EXPECT_EQ(opened.size(), 3);
}

TEST(OpenerCommand, TargetIsOneArgumentOfXdgOpen)
{
    const QString tricky = QStringLiteral("http://x.example/?a=1&b=$(rm -rf ~);`id` 'q' \"d\"");
    EXPECT_EQ(OpenerCommand(tricky), xdgOpen(tricky));
    const QString mail = QStringLiteral("mailto:support@orvanta.example?subject=Orvanta support");
    EXPECT_EQ(OpenerCommand(mail), xdgOpen(mail));
    EXPECT_EQ(OpenerCommand(QStringLiteral("/home/u/page.html")),
              xdgOpen(QStringLiteral("/home/u/page.html")));
}

TEST(OpenerCommand, WebAddressWithoutSchemeGetsOne)
{
    EXPECT_EQ(OpenerCommand(QStringLiteral("www.orvanta.example")),
              xdgOpen(QStringLiteral("http://www.orvanta.example")));
    EXPECT_EQ(OpenerCommand(QStringLiteral("localhost:8080/x")),
              xdgOpen(QStringLiteral("http://localhost:8080/x")));
    EXPECT_EQ(OpenerCommand(QStringLiteral("ftp://files.example/")),
              xdgOpen(QStringLiteral("ftp://files.example/")));
}

TEST(OpenerCommand, NothingToRunForOptionsOrEmptyText)
{
    EXPECT_TRUE(OpenerCommand(QStringLiteral("--help")).isEmpty());
    EXPECT_TRUE(OpenerCommand(QStringLiteral("-x")).isEmpty());
    EXPECT_TRUE(OpenerCommand(QString()).isEmpty());
}
