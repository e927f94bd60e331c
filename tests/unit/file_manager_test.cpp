#include "FileManager.h"
#include "Opener.h"
#include "TempDir.h"

#include <QDBusConnection>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The file manager's side of the call, registered by the test on a bus of
// its own.
class FileManagerService final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public slots:
    void ShowItems(const QStringList& uris, const QString&) { shown << uris; }

public:
    QStringList shown;
};

// A session bus started for the test, with no service it could start.
class PrivateBus
{
public:
    PrivateBus()
    {
        dir_.write("bus.conf", "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                               "Configuration 1.0//EN\" \"http://www.freedesktop.org/standards/"
                               "dbus/1.0/busconfig.dtd\"><busconfig><type>session</type>"
                               "<listen>unix:tmpdir=" +
                                   dir_.path().string() +
                                   "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                                   "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow "
                                   "eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        daemon_.start("dbus-daemon", {"--nofork", "--print-address",
                                      "--config-file=" + QString::fromStdString(
                                                             (dir_.path() / "bus.conf").string())});
        if (daemon_.waitForReadyRead(10000))
            address = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        daemon_.kill();
        daemon_.waitForFinished();
    }

    QString address;

private:
    TempDir dir_;
    QProcess daemon_;
};

} // namespace

TEST(FileManager, ShowsTheEntriesThroughTheBusElseOpensTheirFolder)
{
    PrivateBus bus;
    ASSERT_FALSE(bus.address.isEmpty());
    struct Case
    {
        bool serviceThere;
        bool connected;
    } cases[] = {{true, true}, {false, true}, {false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serviceThere * 2 + c.connected);
        QStringList opened;
        SetOpener([&](const QString& target, const OpenFailed&) { opened << target; });
        FileManagerService service;
        {
            QDBusConnection serving = QDBusConnection::connectToBus(bus.address, "file-manager");
            if (c.serviceThere) {
                serving.registerObject("/org/freedesktop/FileManager1", &service,
                                       QDBusConnection::ExportAllSlots);
                ASSERT_TRUE(serving.registerService("org.freedesktop.FileManager1"));
            }
            const QDBusConnection window =
                c.connected ? QDBusConnection::connectToBus(bus.address, "window")
                            : QDBusConnection(QStringLiteral("none"));
            ShowInFileManager(window, {"/fav/Caf\xe9 bar.url", "/fav/News"});
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return !service.shown.isEmpty() || !opened.isEmpty(); }));
        }
        QDBusConnection::disconnectFromBus("window");
        QDBusConnection::disconnectFromBus("file-manager");
        SetOpener({});
        const QStringList uris{"file:///fav/Caf%E9%20bar.url", "file:///fav/News"};
        EXPECT_EQ(service.shown, c.serviceThere ? uris : QStringList());
        EXPECT_EQ(opened, c.serviceThere ? QStringList() : QStringList{"file:///fav/"});
    }
}

#include "file_manager_test.moc"
