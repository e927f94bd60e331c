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

TEST(FileManager, ShowsTheEntriesThroughTheBusElseOpensTheirFolderElseSaysWhy)
{
    QProcess daemon; // killed when it goes
    daemon.start("dbus-daemon", {"--nofork", "--print-address",
                                 "--config-file=" ORVANTA_TEST_DATA "/session-bus.conf"});
    ASSERT_TRUE(daemon.waitForReadyRead(10000));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();

    const struct
    {
        bool serviceThere;
        QString openerFails; // why the folder opener fails; empty when it opens
        QString why;         // what the caller is told
    } cases[] = {
        {true, "no program to open links was found", ""},
        {false, "", ""},
        {false, "no program to open links was found",
         "no file manager answered, and no program to open links was found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.serviceThere ? "file manager" : qPrintable(c.openerFails));
        QStringList opened;
        SetOpener([&](const QString& target, const OpenFailed& failed) {
            opened << target;
            if (!c.openerFails.isEmpty())
                failed(c.openerFails);
        });
        FileManagerService service;
        QDBusConnection serving = QDBusConnection::connectToBus(address, "file-manager");
        serving.registerObject("/org/freedesktop/FileManager1", &service,
                               QDBusConnection::ExportAllSlots);
        ASSERT_TRUE(!c.serviceThere || serving.registerService("org.freedesktop.FileManager1"));
        QStringList told;
        ShowInFileManager(QDBusConnection::connectToBus(address, "window"),
                          {"/fav/Caf\xe9 bar.url", "/fav/News"},
                          [&told](const QString& why) { told << why; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return !service.shown.isEmpty() || !opened.isEmpty(); }));
        QDBusConnection::disconnectFromBus("window");
        QDBusConnection::disconnectFromBus("file-manager");
        SetOpener({});
        const QStringList uris{"file:///fav/Caf%E9%20bar.url", "file:///fav/News"};
        EXPECT_EQ(service.shown, c.serviceThere ? uris : QStringList());
        EXPECT_EQ(opened, c.serviceThere ? QStringList() : QStringList{"file:///fav/"});
        EXPECT_EQ(told, c.why.isEmpty() ? QStringList() : QStringList{c.why});
    }
}

#include "file_manager_test.moc"
