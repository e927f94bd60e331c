#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QDBusConnection;

// One desktop notification, in plain text.
struct DesktopNotice
{
    QString summary;
    QString body;
    // Each action's key and the label of its button.
    QList<QPair<QString, QString>> actions;
};

// How a notice went.
struct NoticeOutcome
{
    // Why it could not be shown ("no notification service on the session
    // bus"); empty when it was.
    QString failure;
    // The key of the action chosen; empty when none was.
    QString action;
};

// Shows notice as "Orvanta" through the notification service
// (org.freedesktop.Notifications) on bus. When it has actions and the
// service offers buttons, waits, at most waitMs, for one to be chosen or
// for the notice to be closed. Blocks the caller meanwhile.
NoticeOutcome ShowDesktopNotice(const QDBusConnection& bus, const DesktopNotice& notice,
                                int waitMs);
