#include "CurlProbeEngine.h"

#include <algorithm>
#include <utility>

namespace {

// An upper bound only: libcurl wakes the wait earlier for its own time-outs,
// for traffic and for wake().
const int LongestWaitMs = 1000;

} // namespace

CurlProbeEngine::CurlProbeEngine(const ProbeLimits& limits)
    : limits_(limits), multi_(curl_multi_init())
{
}

CurlProbeEngine::~CurlProbeEngine()
{
    cancelAll();
    curl_multi_cleanup(multi_);
}

void CurlProbeEngine::start(quint64 ticket, const QString& link, const ProxySettings& proxy,
                            bool readPage)
{
    auto transfer = std::make_unique<ProbeTransfer>(link, proxy, limits_, nullptr, readPage);
    CURL* curl = transfer->handle();
    if (!curl) {
        finished_.push_back({ticket, transfer->judge(CURLE_OK)});
        return;
    }
    if (!multi_ || curl_multi_add_handle(multi_, curl) != CURLM_OK) {
        finished_.push_back({ticket, transfer->judge(CURLE_FAILED_INIT)});
        return;
    }
    running_.emplace(curl, Running{ticket, std::move(transfer)});
}

std::vector<FinishedProbe> CurlProbeEngine::takeFinished(int longestWaitMs)
{
    perform();
    if (finished_.empty() && multi_) {
        curl_multi_poll(multi_, nullptr, 0, std::clamp(longestWaitMs, 0, LongestWaitMs), nullptr);
        perform();
    }
    return std::exchange(finished_, {});
}

void CurlProbeEngine::wake()
{
    if (multi_)
        curl_multi_wakeup(multi_);
}

void CurlProbeEngine::cancelAll()
{
    for (auto& [curl, running] : running_)
        curl_multi_remove_handle(multi_, curl);
    running_.clear();
}

void CurlProbeEngine::perform()
{
    if (!multi_)
        return;
    int stillRunning = 0;
    curl_multi_perform(multi_, &stillRunning);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        CURL* curl = message->easy_handle;
        const CURLcode performed = message->data.result;
        const auto it = running_.find(curl);
        if (it == running_.end())
            continue;
        curl_multi_remove_handle(multi_, curl);
        ProbeTransfer& transfer = *it->second.transfer;
        if (transfer.followRedirect(performed) && curl_multi_add_handle(multi_, curl) == CURLM_OK)
            continue;
        finished_.push_back({it->second.ticket, transfer.judge(performed)});
        running_.erase(it);
    }
}
