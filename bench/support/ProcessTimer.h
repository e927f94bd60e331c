#pragma once

#include <string>
#include <vector>

struct ProcessRun
{
    double seconds = 0; // from spawning to the end of the process
    int exitCode = -1;  // -1: not started, ended by a signal, or killed
    bool timedOut = false;
};

// Runs program (found on PATH when it has no slash) with args and this
// process's environment, its output sent to outputPath ("/dev/null" to drop
// it), and waits for it; after timeoutSeconds it is killed.
ProcessRun RunProcess(const std::string& program, const std::vector<std::string>& args,
                      const std::string& outputPath = "/dev/null", double timeoutSeconds = 600);
