#include "RedirectLocation.h"

#include <algorithm>
#include <curl/curl.h>
#include <memory>

namespace {

bool isControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool isTabOrNewline(char c)
{
    return c == '\t' || c == '\n' || c == '\r';
}

// The blanks libcurl trims off a header value.
bool isCurlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A URL parser's trimming: controls and spaces at either end.
bool isControlOrSpace(char c)
{
    return isControl(c) || c == ' ';
}

template <typename Trimmed> QByteArrayView trimmed(QByteArrayView value, Trimmed trims)
{
    while (!value.isEmpty() && trims(value.front()))
        value = value.sliced(1);
    while (!value.isEmpty() && trims(value.back()))
        value.chop(1);
    return value;
}

struct UrlDeleter
{
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

} // namespace

RedirectLocation ReadRedirectLocation(QByteArrayView value)
{
    QByteArray target;
    for (const char c : trimmed(value, isControlOrSpace)) {
        if (isTabOrNewline(c))
            continue;
        if (isControl(c))
            return {RedirectLocation::Kind::Malformed, {}};
        target.append(c);
    }
    // libcurl reads the value up to its first line end, blanks trimmed.
    const auto lineEnd =
        std::find_if(value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n'; });
    const QByteArrayView curlReads = trimmed(value.first(lineEnd - value.begin()), isCurlSpace);
    if (curlReads == target)
        return {};
    return {RedirectLocation::Kind::Cleaned, target};
}

QByteArray ResolvedRedirect(const char* base, const QByteArray& target)
{
    const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url || !base || curl_url_set(url.get(), CURLUPART_URL, base, 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_URL, target.constData(),
                     CURLU_URLENCODE | CURLU_ALLOW_SPACE) != CURLUE_OK)
        return {};
    char* resolved = nullptr;
    if (curl_url_get(url.get(), CURLUPART_URL, &resolved, 0) != CURLUE_OK)
        return {};
    QByteArray result(resolved);
    curl_free(resolved);
    return result;
}
