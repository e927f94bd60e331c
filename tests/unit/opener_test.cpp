#include "Opener.h"

#include <gtest/gtest.h>

namespace {

const QString mail = QStringLiteral("mailto:support@orvanta.example?subject=Orvanta support");

} // namespace

TEST(Opener, ReplacedOpenerSeesEveryTargetAsGiven)
{
    QStringList opened;
    SetOpener([&opened](const QString& target) { opened.append(target); });
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
