#pragma once

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
    // Look the dead links up in the Internet Archive after the check.
    bool archive = false;
    // Why the command line is wrong, in one line.
    QString error;
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// What --help prints.
QString UsageText();
