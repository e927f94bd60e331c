#include "ProbeLink.h"

ProbeResult ProbeLink(const QString& link, const ProxySettings& proxy, const ProbeLimits& limits,
                      const std::atomic_bool* cancel, bool readPage)
{
    ProbeTransfer transfer(link, proxy, limits, cancel, readPage);
    CURL* curl = transfer.handle();
    return transfer.judge(curl ? curl_easy_perform(curl) : CURLE_OK);
}
