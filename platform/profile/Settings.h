#pragma once

#include "CheckPeriod.h"
#include "ProxySettings.h"
#include "WindowState.h"

#include <QString>
#include <filesystem>

// The program's settings as Config.ini keeps them between runs. A plain
// value that needs no window: the Options dialog edits one, and anything
// that only checks links can load one the same way.
//
// A key missing from the file keeps its default. Each section has its own
// reader and writer, so a section saved at another moment (the window's
// state on close) can be written without touching the others.
struct Settings
{
    enum class LoadStatus
    {
        Read,
        Missing,
        // The file exists but could not be read: the defaults apply, and it
        // must not be saved over, since what it holds was never seen.
        Unreadable,
        // The file or its folder is not the user's own (see OwnFolder): it
        // is neither read nor written, and the defaults apply.
        Refused,
    };

    struct SaveResult
    {
        bool saved = false;
        // The file exists but could not be read, so it was left as it was.
        bool unreadable = false;
        QString error; // why not, when not saved
    };

    static constexpr int DefaultLinksAtOnce = 128;
    static constexpr int MinLinksAtOnce = 1;
    static constexpr int MaxLinksAtOnce = 256;
    static constexpr int DefaultMaxHostWait = 60;
    static constexpr int MaxMaxHostWait = 24 * 60 * 60;

    ProxySettings proxy;
    // How many links a verification run checks at once, in all.
    int linksAtOnce = DefaultLinksAtOnce;
    // Alive only on a final "200" or "302", everything else dead, with no
    // second look and no page read: the rule the program had at first.
    bool strictVerdicts = false;
    // Seconds a run waits in all for one host that asks it to slow down;
    // the rest of that host's links are then left for the next run. Set by
    // hand in the file only, so it is read and never written.
    int maxHostWait = DefaultMaxHostWait;
    // Deleted entries go to the desktop's Trash; off, they are deleted
    // permanently, as the program did at first.
    bool useTrash = true;
    // After a deletion, folders it left empty are offered for deletion too;
    // off, they stay without a question. Only Config.ini sets it: saving
    // the options leaves the person's line as it stands.
    bool removeEmptyFolders = true;
    // The check that runs by itself (a systemd timer). Saved only by
    // saveScheduledCheck, when the person changes it.
    CheckPeriod scheduledCheck = CheckPeriod::Off;
    // After a run, dead links are looked up in the Internet Archive's
    // availability service at archiveAddress (only Config.ini sets that one,
    // for mirrors and tests).
    bool archiveLookup = false;
    QString archiveAddress = DefaultArchiveAddress;
    static inline const QString DefaultArchiveAddress = QStringLiteral("https://archive.org");
    WindowState window;

    // Replaces every value by the file's (or the default).
    LoadStatus load(const std::filesystem::path& configFile);
    // The same without the window's state, which stays at its default:
    // for what shows no window.
    LoadStatus loadOptions(const std::filesystem::path& configFile);

    // Writes the [Options] keys in place and keeps every other line of the
    // file; the file is replaced atomically by a private one, and one that
    // exists but cannot be read, or is refused, is left alone.
    SaveResult saveOptions(const std::filesystem::path& configFile) const;
    // The same for the one key ScheduledCheck of [Options].
    SaveResult saveScheduledCheck(const std::filesystem::path& configFile) const;
    // The same for the [Window] keys.
    SaveResult saveWindow(const std::filesystem::path& configFile) const;
};
