#pragma once

#include "ProbeEngine.h"
#include "ProbeTransfer.h"

#include <unordered_map>

// The probes of a run on one libcurl multi handle: each link has its own
// ProbeTransfer (nothing shared between them), driven together here.
class CurlProbeEngine final : public ProbeEngine
{
public:
    explicit CurlProbeEngine(const ProbeLimits& limits = {});
    ~CurlProbeEngine() override;
    CurlProbeEngine(const CurlProbeEngine&) = delete;
    CurlProbeEngine& operator=(const CurlProbeEngine&) = delete;

    void start(quint64 ticket, const QString& link, const ProxySettings& proxy,
               bool readPage) override;
    std::vector<FinishedProbe> takeFinished(int longestWaitMs) override;
    void wake() override;
    void cancelAll() override;

private:
    struct Running
    {
        quint64 ticket = 0;
        std::unique_ptr<ProbeTransfer> transfer;
    };

    void perform();

    ProbeLimits limits_;
    CURLM* multi_;
    std::unordered_map<CURL*, Running> running_;
    std::vector<FinishedProbe> finished_;
};
