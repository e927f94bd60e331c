#pragma once

#include <QDBusConnection>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QThread>
#include <QVariantMap>

// A session bus of the test's own: a dbus-daemon that ends with the object.
class PrivateBus final
{
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    // Empty when the daemon did not start.
    const QString& address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

// A stand-in desktop notification service on a bus, answering from a
// thread of its own, so that a caller in the test's thread (or a program
// the test waits for) may block on it. It records every notice and, when
// asked to, answers each with a choice of its first action or its closing.
class NotificationService final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    enum class Answer
    {
        None,   // the notice stays up, untouched
        Close,  // closed by the person
        Action, // its first action chosen
    };
    struct Notice
    {
        QString appName;
        QString summary;
        QString body;
        QStringList actions;
    };

    NotificationService(const QString& address, const QStringList& capabilities, Answer answer);
    ~NotificationService() override;

    QList<Notice> notices() const;

public slots:
    QStringList GetCapabilities();
    uint Notify(const QString& appName, uint replacesId, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int expireTimeout);

private:
    void answer(uint id, const QString& firstAction);

    QString connectionName_;
    QStringList capabilities_;
    Answer answer_;
    QThread thread_;
    mutable QMutex mutex_;
    QList<Notice> notices_;
};
