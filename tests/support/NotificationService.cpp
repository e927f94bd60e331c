#include "NotificationService.h"

#include <QDBusMessage>
#include <QMetaObject>
#include <QMutexLocker>

namespace {

const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");

} // namespace

PrivateBus::PrivateBus()
{
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                   QStringLiteral("--config-file=" ORVANTA_TEST_DATA "/session-bus.conf")});
    if (daemon_.waitForReadyRead(10000))
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    daemon_.kill();
    daemon_.waitForFinished();
}

NotificationService::NotificationService(const QString& address, const QStringList& capabilities,
                                         Answer answer)
    : connectionName_(QStringLiteral("notifications-%1").arg(quintptr(this))),
      capabilities_(capabilities), answer_(answer)
{
    thread_.start();
    moveToThread(&thread_);
    QDBusConnection bus = QDBusConnection::connectToBus(address, connectionName_);
    bus.registerObject(Path, this, QDBusConnection::ExportAllSlots);
    bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

NotificationService::~NotificationService()
{
    QDBusConnection::disconnectFromBus(connectionName_);
    thread_.quit();
    thread_.wait();
}

QList<NotificationService::Notice> NotificationService::notices() const
{
    const QMutexLocker lock(&mutex_);
    return notices_;
}

QStringList NotificationService::GetCapabilities()
{
    return capabilities_;
}

uint NotificationService::Notify(const QString& appName, uint, const QString&,
                                 const QString& summary, const QString& body,
                                 const QStringList& actions, const QVariantMap&, int)
{
    uint id = 0;
    {
        const QMutexLocker lock(&mutex_);
        notices_ << Notice{appName, summary, body, actions};
        id = uint(notices_.size());
    }
    // After the reply, as a person answers a notice already shown.
    QMetaObject::invokeMethod(
        this, [this, id, first = actions.value(0)] { answer(id, first); }, Qt::QueuedConnection);
    return id;
}

void NotificationService::answer(uint id, const QString& firstAction)
{
    const QDBusConnection bus(connectionName_);
    if (answer_ == Answer::Action && !firstAction.isEmpty()) {
        QDBusMessage invoked = QDBusMessage::createSignal(Path, Interface, "ActionInvoked");
        invoked << id << firstAction;
        bus.send(invoked);
    }
    if (answer_ != Answer::None) {
        QDBusMessage closed = QDBusMessage::createSignal(Path, Interface, "NotificationClosed");
        closed << id << uint(answer_ == Answer::Close ? 2 : 3);
        bus.send(closed);
    }
}
