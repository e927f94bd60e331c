#include "ContrastAddress.h"

#include <QStringList>
#include <QUrl>

namespace {

constexpr qsizetype MadeUpLength = 24;
const QString Blank = QStringLiteral("{}");

QString madeUpName(QRandomGenerator& random)
{
    static constexpr char Letters[] = "bcdfghjkmnpqrstvwxz0123456789";
    QString name;
    name.reserve(MadeUpLength);
    for (qsizetype i = 0; i < MadeUpLength; ++i)
        name += QLatin1Char(Letters[random.bounded(int(sizeof Letters - 1))]);
    return name;
}

// The link's path with its last name blanked out, the extension and a
// closing "/" kept: "/news/{}.html", "/blog/{}/".
QString pathPattern(const QString& path)
{
    QStringView directory = path.isEmpty() ? QStringView(u"/") : QStringView(path);
    const bool closed = directory.size() > 1 && directory.endsWith(u'/');
    if (closed)
        directory.chop(1);
    const qsizetype slash = directory.lastIndexOf(u'/');
    const QStringView name = directory.sliced(slash + 1);
    directory.truncate(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QStringView extension = dot > 0 ? name.sliced(dot) : QStringView();
    return directory.toString() + Blank + extension.toString() +
           (closed ? QStringLiteral("/") : QString());
}

// "id=4&lang=en" as "id={}&lang={}"; a lone "?1234" as "?{}".
QString queryPattern(const QString& query)
{
    QStringList items;
    for (QStringView item : QStringView(query).tokenize(u'&', Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(u'=');
        items += equals < 0 ? Blank : item.first(equals + 1).toString() + Blank;
    }
    return items.join(u'&');
}

QString filledIn(QString pattern, QRandomGenerator& random)
{
    for (qsizetype at = pattern.indexOf(Blank); at >= 0; at = pattern.indexOf(Blank, at))
        pattern.replace(at, Blank.size(), madeUpName(random));
    return pattern;
}

} // namespace

std::optional<ContrastAddress> ContrastAddressFor(const QString& link, QRandomGenerator& random)
{
    QUrl url(link);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        return std::nullopt;
    url.setFragment(QString());
    const QString path = url.path(QUrl::FullyEncoded);
    const QString queryShape = queryPattern(url.query(QUrl::FullyEncoded));
    const QString pathShape = queryShape.isEmpty() ? pathPattern(path) : path;
    url.setPath(QString());
    url.setQuery(QString());
    const QString site = url.toString(QUrl::FullyEncoded);
    const QString pattern = url.toString(QUrl::FullyEncoded | QUrl::RemoveUserInfo) + pathShape +
                            (queryShape.isEmpty() ? QString() : u'?' + queryShape);
    const QString madeUp = site + filledIn(pathShape, random) +
                           (queryShape.isEmpty() ? QString() : u'?' + filledIn(queryShape, random));
    return ContrastAddress{pattern, madeUp};
}
