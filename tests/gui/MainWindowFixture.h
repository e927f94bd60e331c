#pragma once

#include "TForm1.h"
#include "TempDir.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>

// A main window over a throw-away home: HOME, XDG_CONFIG_HOME and XDG_DATA_HOME
// (where the Trash is) point into a temporary folder for the test's lifetime,
// so nothing reads the real home.
class MainWindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved_[0] = {qEnvironmentVariableIsSet("HOME"), qgetenv("HOME")};
        saved_[1] = {qEnvironmentVariableIsSet("XDG_CONFIG_HOME"), qgetenv("XDG_CONFIG_HOME")};
        saved_[2] = {qEnvironmentVariableIsSet("XDG_DATA_HOME"), qgetenv("XDG_DATA_HOME")};
        saved_[3] = {qEnvironmentVariableIsSet("WINEPREFIX"), qgetenv("WINEPREFIX")};
        saved_[4] = {qEnvironmentVariableIsSet("XDG_STATE_HOME"), qgetenv("XDG_STATE_HOME")};
        // The results of earlier runs are kept below the temporary home too.
        qunsetenv("XDG_STATE_HOME");
        // A Wine prefix of the real account must not stand in for a missing
        // Favorites folder.
        qunsetenv("WINEPREFIX");
        // What main() names the application: message boxes carry it as caption.
        QCoreApplication::setApplicationName(QStringLiteral("Orvanta"));
        home.mkdir(".config");
        qputenv("HOME", QByteArray::fromStdString(home.path().string()));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(configHome().string()));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dataHome().string()));
    }

    void TearDown() override
    {
        form.reset();
        restore("HOME", saved_[0]);
        restore("XDG_CONFIG_HOME", saved_[1]);
        restore("XDG_DATA_HOME", saved_[2]);
        restore("WINEPREFIX", saved_[3]);
        restore("XDG_STATE_HOME", saved_[4]);
    }

    std::filesystem::path configHome() const { return home / ".config"; }
    std::filesystem::path dataHome() const { return home / ".local/share"; }

    // A shortcut file below the Favorites folder.
    void addLink(const std::string& relative, const std::string& url) const
    {
        home.write("Favorites/" + relative, "[InternetShortcut]\r\nURL=" + url + "\r\n");
    }

    // Root entry, two folders (one nested) and five links.
    void writeSmallTree() const
    {
        addLink("Example.url", "http://127.0.0.1:9/example");
        addLink("Second.url", "http://127.0.0.1:9/second");
        addLink("News/Today.url", "http://127.0.0.1:9/today");
        addLink("News/Gone.url", "http://127.0.0.1:9/gone");
        addLink("News/Local/Maps.url", "http://127.0.0.1:9/maps");
    }

    TForm1& makeForm()
    {
        // The window before goes first: going, it clears FavoritesPath.
        form.reset();
        form = std::make_unique<TForm1>();
        return *form;
    }
    // Shortcuts reach only the active window.
    TForm1& activeForm()
    {
        TForm1& window = makeForm();
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        return window;
    }

    TempDir home;
    std::unique_ptr<TForm1> form;

private:
    struct Saved
    {
        bool set = false;
        QByteArray value;
    };

    static void restore(const char* name, const Saved& saved)
    {
        if (saved.set)
            qputenv(name, saved.value);
        else
            qunsetenv(name);
    }

    Saved saved_[5];
};
