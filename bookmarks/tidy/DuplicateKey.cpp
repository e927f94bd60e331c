#include "DuplicateKey.h"

#include "WebLink.h"

#include <QStringList>

namespace {

bool isTrackingParameter(QStringView parameter)
{
    const qsizetype equals = parameter.indexOf(u'=');
    const QStringView name = equals < 0 ? parameter : parameter.first(equals);
    return name.startsWith(u"utm_", Qt::CaseInsensitive) ||
           name.compare(u"fbclid", Qt::CaseInsensitive) == 0 ||
           name.compare(u"gclid", Qt::CaseInsensitive) == 0;
}

QString keptQuery(const QString& query)
{
    QStringList kept;
    for (const QStringView parameter : QStringView(query).split(u'&')) {
        if (!parameter.isEmpty() && !isTrackingParameter(parameter))
            kept.append(parameter.toString());
    }
    return kept.join(u'&');
}

// A route ("#!/home", "#label/Work") picks what the page shows; an anchor
// ("#top") only scrolls it.
bool isRoute(const QString& fragment)
{
    return fragment.startsWith(u'!') || fragment.contains(u'/');
}

QString webKey(const WebLink& link)
{
    QString key = QStringLiteral("http://");
    if (!link.userInfo.isEmpty())
        key += link.userInfo + u'@';
    key += link.host.startsWith(u"www.") && link.host.size() > 4 ? link.host.sliced(4) : link.host;
    if (!link.port.isEmpty())
        key += u':' + link.port;
    key += link.path.endsWith(u'/') ? link.path.chopped(1) : link.path;
    const QString query = keptQuery(link.query);
    if (!query.isEmpty())
        key += u'?' + query;
    if (link.hasFragment && isRoute(link.fragment))
        key += u'#' + link.fragment;
    return key;
}

} // namespace

QString DuplicateKey(const QString& link)
{
    if (const std::optional<WebLink> web = SplitWebLink(link))
        return webKey(*web);
    const QString trimmed = link.trimmed();
    const qsizetype schemeSize = SchemeOf(trimmed).size();
    return trimmed.first(schemeSize).toLower() + trimmed.sliced(schemeSize);
}
