#include "WebLink.h"

namespace {

bool isSchemeChar(QChar c, bool first)
{
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    if (first)
        return letter;
    return letter || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// Host and port of the authority's last part: an IPv6 literal runs to its
// ']', any other host to the first ':'.
void splitHostPort(QStringView hostPort, WebLink& link)
{
    qsizetype colon = -1;
    if (hostPort.startsWith(u'[')) {
        const qsizetype close = hostPort.indexOf(u']');
        if (close >= 0 && close + 1 < hostPort.size() && hostPort[close + 1] == u':')
            colon = close + 1;
    } else {
        colon = hostPort.indexOf(u':');
    }
    link.host = (colon < 0 ? hostPort : hostPort.first(colon)).toString().toLower();
    if (colon < 0)
        return;
    const QStringView port = hostPort.sliced(colon + 1);
    bool isNumber = false;
    const int number = port.toInt(&isNumber);
    const int standard = link.scheme == u"https" ? 443 : 80;
    if (!port.isEmpty() && !(isNumber && number == standard))
        link.port = port.toString();
}

} // namespace

QStringView SchemeOf(QStringView text)
{
    qsizetype at = 0;
    while (at < text.size() && isSchemeChar(text[at], at == 0))
        ++at;
    return at > 0 && at < text.size() && text[at] == u':' ? text.first(at) : QStringView();
}

std::optional<WebLink> SplitWebLink(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    WebLink link;
    link.scheme = SchemeOf(trimmed).toString().toLower();
    if (link.scheme != u"http" && link.scheme != u"https")
        return std::nullopt;
    QStringView rest = trimmed.sliced(link.scheme.size() + 1);
    if (!rest.startsWith(u"//"))
        return std::nullopt;
    rest = rest.sliced(2);

    if (const qsizetype hash = rest.indexOf(u'#'); hash >= 0) {
        link.hasFragment = true;
        link.fragment = rest.sliced(hash + 1).toString();
        rest = rest.first(hash);
    }
    if (const qsizetype question = rest.indexOf(u'?'); question >= 0) {
        link.hasQuery = true;
        link.query = rest.sliced(question + 1).toString();
        rest = rest.first(question);
    }
    const qsizetype slash = rest.indexOf(u'/');
    const QStringView authority = slash < 0 ? rest : rest.first(slash);
    link.path = slash < 0 ? QStringLiteral("/") : rest.sliced(slash).toString();
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at >= 0)
        link.userInfo = authority.first(at).toString();
    splitHostPort(authority.sliced(at + 1), link);
    return link;
}
