#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <string>

// A broken property is a finding: say which, and crash so the fuzzer keeps
// the input.
inline void ReportFinding(const std::string& problem)
{
    if (problem.empty())
        return;
    std::fprintf(stderr, "FINDING: %s\n", problem.c_str());
    std::abort();
}

// The code's own warnings (a key refused, say) are expected by the million
// here and would drown the fuzzer's report.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
            std::abort();
        }
    });
    return 0;
}
