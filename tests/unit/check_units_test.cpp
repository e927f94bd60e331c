#include "CheckUnits.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

QByteArray withoutFirstLine(const QByteArray& text)
{
    return text.mid(text.indexOf('\n') + 1);
}

QByteArray execStart(const QByteArray& service)
{
    for (const QByteArray& line : service.split('\n')) {
        if (line.startsWith("ExecStart="))
            return line.mid(10);
    }
    return {};
}

TEST(CheckUnits, TheServiceAndTheCrontabLineQuoteEveryPathForTheirReaders)
{
    const struct
    {
        std::string executable;
        std::string folder;
        const char* execStart;
        const char* crontab; // after "@weekly "
    } cases[] = {
        {"/usr/bin/orvanta", "/home/ann/Favorites",
         "/usr/bin/orvanta --check /home/ann/Favorites --notify --format text",
         "/usr/bin/orvanta --check /home/ann/Favorites --notify --format text"},
        {"/opt/my apps/orvanta", "/home/ann/My Favorites",
         "\"/opt/my apps/orvanta\" --check \"/home/ann/My Favorites\" --notify --format text",
         "'/opt/my apps/orvanta' --check '/home/ann/My Favorites' --notify --format text"},
        {"/usr/bin/orvanta", "/home/ann/100% \"sure\"",
         "/usr/bin/orvanta --check \"/home/ann/100%% \\\"sure\\\"\" --notify --format text",
         "/usr/bin/orvanta --check '/home/ann/100\\% \"sure\"' --notify --format text"},
        {"/usr/bin/orvanta", "/home/ann/$HOME\\links",
         "/usr/bin/orvanta --check \"/home/ann/$$HOME\\\\links\" --notify --format text",
         "/usr/bin/orvanta --check '/home/ann/$HOME\\links' --notify --format text"},
        {"/usr/bin/orvanta", "/home/ann/Jérôme's ☆",
         "/usr/bin/orvanta --check \"/home/ann/Jérôme's ☆\" --notify --format text",
         "/usr/bin/orvanta --check '/home/ann/Jérôme'\\''s ☆' --notify --format text"},
        {"/usr/bin/orvanta", "/home/ann/Caf\xe9\ttab",
         "/usr/bin/orvanta --check \"/home/ann/Caf\\xe9\\x09tab\" --notify --format text",
         nullptr}, // no UTF-8: the crontab line is shown decoded, not byte for byte
        {"/usr/bin/orvanta", "/home/ann/two\nlines",
         "/usr/bin/orvanta --check \"/home/ann/two\\x0alines\" --notify --format text", ""},
        {"/usr/bin/orvanta", "", "/usr/bin/orvanta --check --notify --format text",
         "/usr/bin/orvanta --check --notify --format text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        const QByteArray service = CheckServiceText(c.executable, c.folder);
        EXPECT_EQ(execStart(service).toStdString(), c.execStart);
        EXPECT_TRUE(IsOwnUnitText(service));
        EXPECT_TRUE(QString::fromUtf8(service).toUtf8() == service) << "the unit is valid UTF-8";
        if (!c.crontab)
            continue;
        const QString line = CheckCrontabLine(CheckPeriod::Weekly, c.executable, c.folder);
        EXPECT_EQ(line.toStdString(), *c.crontab ? std::string("@weekly ") + c.crontab : "");
    }
    EXPECT_EQ(CheckCrontabLine(CheckPeriod::Monthly, "/o", "/f").toStdString(),
              "@monthly /o --check /f --notify --format text");
}

TEST(CheckUnits, TheTimerRunsTheServiceOncePeriodAndCatchesUpOnAMissedRun)
{
    EXPECT_EQ(withoutFirstLine(CheckTimerText(CheckPeriod::Weekly)).toStdString(),
              "[Unit]\n"
              "Description=Orvanta's check of the Favorites links, weekly\n"
              "\n"
              "[Timer]\n"
              "OnCalendar=weekly\n"
              "Persistent=true\n"
              "RandomizedDelaySec=1h\n"
              "\n"
              "[Install]\n"
              "WantedBy=timers.target\n");
    for (const auto& [period, word] :
         {std::pair{CheckPeriod::Daily, "daily"}, std::pair{CheckPeriod::Monthly, "monthly"}}) {
        const QByteArray timer = CheckTimerText(period);
        EXPECT_TRUE(timer.contains("\nOnCalendar=" + QByteArray(word) + "\n")) << word;
        EXPECT_TRUE(IsOwnUnitText(timer));
    }
    const QByteArray service = withoutFirstLine(CheckServiceText("/o", "/f"));
    EXPECT_TRUE(service.startsWith("[Unit]\n")) << service.toStdString();
    EXPECT_TRUE(service.contains("\n[Service]\nType=oneshot\n"));
}

TEST(CheckUnits, OnlyAFileAsOrvantaWroteItCountsAsItsOwn)
{
    const QByteArray timer = CheckTimerText(CheckPeriod::Weekly);
    EXPECT_TRUE(timer.startsWith("# Written by Orvanta"));
    QByteArray edited = timer;
    edited.replace("RandomizedDelaySec=1h", "RandomizedDelaySec=2h");
    QByteArray swapped = CheckTimerText(CheckPeriod::Daily);
    swapped = timer.left(timer.indexOf('\n') + 1) + withoutFirstLine(swapped);
    for (const QByteArray& other :
         {QByteArray(), withoutFirstLine(timer), edited, swapped, timer + "\n",
          QByteArray("# Written by Orvanta\n") + withoutFirstLine(timer)}) {
        EXPECT_FALSE(IsOwnUnitText(other)) << other.toStdString();
    }
}

} // namespace
