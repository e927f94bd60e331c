#include "FileManager.h"
#include "Opener.h"

#include <QDBusConnection>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The file manager's side of the call, on the test's own bus.
class FileManagerService final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public slots:
    void ShowItems(const QStringList& uris, const QString&) { shown << uris; }

public:
    QStringList shown;
};

} // namespace

TEST(FileManager, ShowsTheEntriesThroughTheBusElseOpensTheirFolder)
{
    QProcess daemon; // killed when it goes
    daemon.start("dbus-daemon", {"--nofork", "--print-address",
                                 "--config-file=" ORVANTA_TEST_DATA "/session-bus.conf"});
    ASSERT_TRUE(daemon.waitForReadyRead(10000));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();

    for (const bool serviceThere : {true, false}) {
        QStringList opened;
        SetOpener([&](const QString& target, const OpenFailed&) { opened << target; });
        FileManagerService service;
        QDBusConnection serving = QDBusConnection::connectToBus(address, "file-manager");
        serving.registerObject("/org/freedesktop/FileManager1", &service,
                               QDBusConnection::ExportAllSlots);
        ASSERT_TRUE(!serviceThere || serving.registerService("org.freedesktop.FileManager1"));
        ShowInFileManager(QDBusConnection::connectToBus(address, "window"),
                          {"/fav/Caf\xe9 bar.url", "/fav/News"});
        EXPECT_TRUE(QTest::qWaitFor([&] { return !service.shown.isEmpty() || !opened.isEmpty(); }));
        QDBusConnection::disconnectFromBus("window");
        QDBusConnection::disconnectFromBus("file-manager");
        const QStringList uris{"file:///fav/Caf%E9%20bar.url", "file:///fav/News"};
        EXPECT_EQ(service.shown, serviceThere ? uris : QStringList());
        EXPECT_EQ(opened, serviceThere ? QStringList() : QStringList{"file:///fav/"});
    }
}

#include "file_manager_test.moc"
