#pragma once

#include "FindFilter.h"
#include "ProxySettings.h"
#include "VerdictReport.h"

#include <QString>
#include <optional>
#include <string>

// What the command line asks for, read before any application object
// exists, so that the check and the texts never need a display.
struct CommandLine
{
    enum class Action
    {
        Window,
        Check,
        Export,
        Help,
        Version,
        UsageError,
    };

    Action action = Action::Window;
    // The folder named, as its bytes; empty when none is.
    std::string folder;
    ReportFormat format = ReportFormat::Text;
    std::optional<ProxySettings> proxy;
    std::optional<int> jobs;
    // Judge by the old rule of two verdicts, whatever Config.ini says.
    bool strict = false;
    // Where --export-html writes the tree for a browser, as its bytes; empty
    // when it is not asked for. With --check the file is written after the
    // run, without the links found dead when leaveOutDead is set.
    std::string exportFile;
    bool leaveOutDead = false;
    // Tell the desktop of the links found dead or not sure since the last check.
    bool notify = false;
    // The window opens with the find bar showing this choice.
    std::optional<FindChoice> show;
    // Look the dead links up in the Internet Archive after the check.
    bool archive = false;
    // Why the command line is wrong, in one line.
    QString error;
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// What --help prints.
QString UsageText();
