#include "BareProbe.h"

#include <curl/curl.h>

namespace {

size_t discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

bool answers200(const std::string& url, const std::string& userAgent)
{
    CURL* curl = curl_easy_init();
    if (!curl)
        return false;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &discard);
    long code = 0;
    if (curl_easy_perform(curl) == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
    curl_easy_cleanup(curl);
    return code == 200;
}

} // namespace

int BareProbeLoop(const std::vector<std::string>& urls, const std::string& userAgent)
{
    int alive = 0;
    for (const std::string& url : urls) {
        if (answers200(url, userAgent))
            ++alive;
    }
    return alive;
}
