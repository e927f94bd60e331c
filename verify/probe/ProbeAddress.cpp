#include "ProbeAddress.h"

#include <curl/curl.h>
#include <memory>

namespace {

struct UrlDeleter
{
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

bool isAsciiUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

} // namespace

QByteArray LinkTo8Bit(const QString& link)
{
    static const char hexDigits[] = "0123456789ABCDEF";
    const QByteArray utf8 = link.toUtf8();
    QByteArray result;
    result.reserve(utf8.size());
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F) {
            result.append(c);
            continue;
        }
        result.append('%');
        result.append(hexDigits[byte >> 4]);
        result.append(hexDigits[byte & 0x0F]);
    }
    return result;
}

QString ProbeHost(const QString& link)
{
    return HostKey(RequestedUrl(link));
}

QByteArray RequestedUrl(const QString& link)
{
    QByteArray url = LinkTo8Bit(link);
    if (!AsciiLower(url).contains("http"))
        url.prepend("http://");
    return url;
}

QString HostKey(const QByteArray& address)
{
    const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.constData(), 0) != CURLUE_OK)
        return {};
    char* host = nullptr;
    char* port = nullptr;
    QString key;
    if (curl_url_get(url.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK &&
        curl_url_get(url.get(), CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK)
        key = QString::fromUtf8(AsciiLower(host)) + u':' + QString::fromLatin1(port);
    curl_free(host);
    curl_free(port);
    return key;
}

LinkShape ShapeOf(const QByteArray& link)
{
    LinkShape shape;
    const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, link.constData(), 0) != CURLUE_OK)
        return shape;
    shape.usable = true;
    char* user = nullptr;
    shape.hasUser = curl_url_get(url.get(), CURLUPART_USER, &user, 0) == CURLUE_OK;
    curl_free(user);
    return shape;
}

QByteArray AsciiLower(const QByteArray& text)
{
    QByteArray lowered = text;
    for (char& c : lowered) {
        if (isAsciiUpper(c))
            c = char(c - 'A' + 'a');
    }
    return lowered;
}
