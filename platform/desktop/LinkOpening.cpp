#include "LinkOpening.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

bool isSchemeStart(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSchemeCharacter(QChar c)
{
    return isSchemeStart(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// Dotted host names or addresses, a port, then a path, query or fragment:
// what a browser's address bar takes for a web address.
QRegularExpression hostPattern()
{
    const QString label = QStringLiteral(R"([\p{L}\p{N}](?:[\p{L}\p{N}-]*[\p{L}\p{N}])?)");
    return QRegularExpression(u'^' + label + QStringLiteral(R"((?:\.)") + label +
                                  QStringLiteral(R"()+(?::[0-9]{1,5})?(?:[/?#].*)?$)"),
                              QRegularExpression::DotMatchesEverythingOption);
}

bool namesAHost(const QString& link)
{
    static const QRegularExpression host = hostPattern();
    return host.match(link).hasMatch();
}

bool opensWithoutQuestion(const QString& scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("mailto");
}

// The text before a link's first colon, in lower case, when it has the form
// of a scheme; empty when it has not.
QString schemeBeforeColon(const QString& link)
{
    const qsizetype colon = link.indexOf(u':');
    if (colon < 1 || !isSchemeStart(link.front()))
        return {};
    const QStringView scheme = QStringView(link).left(colon);
    if (!std::all_of(scheme.begin(), scheme.end(), isSchemeCharacter))
        return {};
    return scheme.toString().toLower();
}

} // namespace

LinkOpening PlanLinkOpening(const QString& link)
{
    // Nothing to open is refused by the opener, which says so.
    if (link.isEmpty())
        return {link, {}};
    if (namesAHost(link))
        return {QStringLiteral("http://") + link, {}};
    const QString scheme = schemeBeforeColon(link);
    if (opensWithoutQuestion(scheme))
        return {link, {}};
    // The desktop opens a text without a scheme as a file.
    return {link, scheme.isEmpty() ? QStringLiteral("file") : scheme};
}

QString LinkScheme(const QString& link)
{
    // "host.example:8080" has the form of a scheme too, but names a host.
    return namesAHost(link) ? QString() : schemeBeforeColon(link);
}
