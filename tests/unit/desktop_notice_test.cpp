#include "DesktopNotice.h"
#include "NotificationService.h"

#include <QDBusConnection>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Answer = NotificationService::Answer;

// Long enough that only a wait nobody ends runs into it.
constexpr int WaitMs = 60 * 1000;

} // namespace

TEST(DesktopNotice, ShowsOneNoticeAndWaitsForItsActionOnlyWhereTheServiceHasButtons)
{
    const PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    const QStringList buttons{"body", "actions"};
    const struct
    {
        const char* what;
        bool serviceThere;
        QStringList capabilities;
        Answer answer;
        int waitMs;
        QString failure;
        QString action;
        QStringList actionsSent;
        QString bodySent;
    } cases[] = {
        {"Show chosen",
         true,
         buttons,
         Answer::Action,
         WaitMs,
         "",
         "show",
         {"show", "Show"},
         "A & B"},
        {"closed", true, buttons, Answer::Close, WaitMs, "", "", {"show", "Show"}, "A & B"},
        {"left up", true, buttons, Answer::None, 50, "", "", {"show", "Show"}, "A & B"},
        {"no buttons", true, {"body"}, Answer::Action, WaitMs, "", "", {}, "A & B"},
        {"markup", true, {"body-markup"}, Answer::None, WaitMs, "", "", {}, "A &amp; B"},
        {"no service",
         false,
         {},
         Answer::None,
         WaitMs,
         "no notification service on the session bus",
         "",
         {},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<NotificationService> service;
        if (c.serviceThere)
            service =
                std::make_unique<NotificationService>(bus.address(), c.capabilities, c.answer);
        const QDBusConnection caller = QDBusConnection::connectToBus(bus.address(), "caller");
        const NoticeOutcome outcome = ShowDesktopNotice(
            caller, {"2 bookmarks have gone", "A & B", {{"show", "Show"}}}, c.waitMs);
        QDBusConnection::disconnectFromBus("caller");
        EXPECT_EQ(outcome.failure, c.failure);
        EXPECT_EQ(outcome.action, c.action);
        if (!service)
            continue;
        const auto notices = service->notices();
        ASSERT_EQ(notices.size(), 1);
        EXPECT_EQ(notices[0].appName, "Orvanta");
        EXPECT_EQ(notices[0].summary, "2 bookmarks have gone");
        EXPECT_EQ(notices[0].body, c.bodySent);
        EXPECT_EQ(notices[0].actions, c.actionsSent);
    }
    const NoticeOutcome unconnected = ShowDesktopNotice(
        QDBusConnection::connectToBus(QString("unix:path=/nonexistent"), "none"), {}, WaitMs);
    EXPECT_EQ(unconnected.failure, "no session bus");
}
