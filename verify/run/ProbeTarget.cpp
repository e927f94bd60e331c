#include "ProbeTarget.h"

#include "LinkOpening.h"

#include <algorithm>

namespace {

bool isDigits(QStringView text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool isHexNumber(QStringView text)
{
    if (!text.startsWith(u"0x", Qt::CaseInsensitive))
        return false;
    const QStringView digits = text.mid(2);
    return std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c.toLower() >= u'a' && c.toLower() <= u'f');
    });
}

} // namespace

std::optional<QString> LinkToProbe(const QString& link, JudgeMode mode)
{
    if (mode == JudgeMode::Strict)
        return link;
    const QString scheme = LinkScheme(link);
    if (scheme.isEmpty())
        return QStringLiteral("http://") + link;
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return link;
    return std::nullopt;
}

bool HostIsName(const QString& hostAndPort)
{
    const qsizetype colon = hostAndPort.lastIndexOf(u':');
    const QStringView host = QStringView(hostAndPort).left(colon < 0 ? hostAndPort.size() : colon);
    if (host.isEmpty() || host.startsWith(u'['))
        return false;
    // No top-level domain is a number, so a host that ends in one is an
    // IPv4 address in one of the forms a URL may give it ("127.1", "0x7f.1").
    const QStringView last = host.mid(host.lastIndexOf(u'.') + 1);
    return !isDigits(last) && !isHexNumber(last);
}
