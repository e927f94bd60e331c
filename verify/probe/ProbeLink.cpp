#include "ProbeLink.h"

ProbeResult ProbeLink(const QString& link, const ProxySettings& proxy, const ProbeLimits& limits,
                      const std::atomic_bool* cancel, bool readPage)
{
    ProbeTransfer transfer(link, proxy, limits, cancel, readPage);
    CURL* curl = transfer.handle();
    if (!curl)
        return transfer.judge(CURLE_OK);
    CURLcode performed = curl_easy_perform(curl);
    while (transfer.followRedirect(performed))
        performed = curl_easy_perform(curl);
    return transfer.judge(performed);
}
