#include "DesktopNotice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QEventLoop>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");

// Long enough for a service that the bus first has to start.
constexpr int AnswerTimeoutMs = 5000;

// What the service says of the notices: it may answer before the id of ours
// is known, so every answer is kept until then.
class NoticeWatch final : public QObject
{
    Q_OBJECT

public:
    explicit NoticeWatch(QEventLoop& loop) : loop_(loop) {}

    // From now on the wait is for the notice with id; true when that one was
    // already acted on or closed.
    bool watchFor(uint id)
    {
        id_ = id;
        return ended_.contains(id);
    }
    QString actionOf(uint id) const { return actions_.value(id); }

public slots:
    void actionInvoked(uint id, const QString& key)
    {
        actions_.insert(id, key);
        end(id);
    }
    void closed(uint id, uint) { end(id); }

private:
    void end(uint id)
    {
        ended_.insert(id);
        if (id_ && id == id_)
            loop_.quit();
    }

    QEventLoop& loop_;
    uint id_ = 0; // none yet: the service never gives out 0
    QHash<uint, QString> actions_;
    QSet<uint> ended_;
};

QDBusMessage serviceCall(const QString& method)
{
    return QDBusMessage::createMethodCall(Service, Path, Interface, method);
}

// A service that takes markup reads "&" or "<" in a name as markup.
QString bodyFor(const QString& text, const QStringList& capabilities)
{
    return capabilities.contains(QStringLiteral("body-markup")) ? text.toHtmlEscaped() : text;
}

} // namespace

NoticeOutcome ShowDesktopNotice(const QDBusConnection& bus, const DesktopNotice& notice, int waitMs)
{
    if (!bus.isConnected())
        return {QStringLiteral("no session bus"), {}};
    const QDBusReply<QStringList> capabilities =
        bus.call(serviceCall(QStringLiteral("GetCapabilities")), QDBus::Block, AnswerTimeoutMs);
    if (!capabilities.isValid())
        return {QStringLiteral("no notification service on the session bus"), {}};
    const bool buttons =
        !notice.actions.isEmpty() && capabilities.value().contains(QStringLiteral("actions"));
    QStringList actions;
    if (buttons) {
        for (const auto& [key, label] : notice.actions)
            actions << key << label;
    }

    QEventLoop loop;
    NoticeWatch watch(loop);
    if (buttons) {
        QDBusConnection listening = bus;
        listening.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), &watch,
                          SLOT(actionInvoked(uint, QString)));
        listening.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), &watch,
                          SLOT(closed(uint, uint)));
    }
    QDBusMessage call = serviceCall(QStringLiteral("Notify"));
    call << QStringLiteral("Orvanta") << uint(0) << QString() << notice.summary
         << bodyFor(notice.body, capabilities.value()) << actions << QVariantMap() << int(-1);
    const QDBusReply<uint> id = bus.call(call, QDBus::Block, AnswerTimeoutMs);
    if (!id.isValid())
        return {QStringLiteral("the notification service refused the notice: ") +
                    id.error().message(),
                {}};
    if (!buttons)
        return {};
    if (!watch.watchFor(id.value())) {
        QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return {{}, watch.actionOf(id.value())};
}

#include "DesktopNotice.moc"
