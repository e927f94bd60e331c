#include "HomePage.h"

#include <QUrl>

#include <algorithm>
#include <iterator>

namespace {

// The names under which servers usually give a site's front page.
constexpr const char* IndexPages[] = {
    "index.html", "index.htm", "index.shtml", "index.php",    "index.asp",   "index.aspx",
    "index.jsp",  "index.cfm", "default.asp", "default.aspx", "default.htm", "default.html",
};

// The names of a site's search page, before any extension.
constexpr const char* SearchPages[] = {
    "search", "suche", "recherche", "buscar", "busqueda", "cerca", "ricerca", "szukaj", "poisk",
};

bool isOneOf(QStringView name, const auto& names)
{
    return std::any_of(std::begin(names), std::end(names), [name](const char* known) {
        return name.compare(QLatin1StringView(known), Qt::CaseInsensitive) == 0;
    });
}

bool isLetters(QStringView text, qsizetype count)
{
    return text.size() == count && std::all_of(text.begin(), text.end(), [](QChar c) {
               return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
           });
}

// "en", "de-de", "pt_BR": the first folder of a site in one language.
bool isLanguage(QStringView name)
{
    if (name.size() == 2)
        return isLetters(name, 2);
    return name.size() == 5 && isLetters(name.first(2), 2) &&
           (name[2] == u'-' || name[2] == u'_') && isLetters(name.sliced(3), 2);
}

bool isHomePath(const QString& path)
{
    if (path.isEmpty() || path == u'/')
        return true;
    if (!path.startsWith(u'/'))
        return false;
    QStringView rest = QStringView(path).sliced(1);
    const qsizetype slash = rest.indexOf(u'/');
    if (slash >= 0 && isLanguage(rest.first(slash)))
        rest = rest.sliced(slash + 1);
    else if (isLanguage(rest))
        return true;
    return rest.isEmpty() || isOneOf(rest, IndexPages);
}

bool isSearchPath(const QString& path)
{
    QStringView name = QStringView(path);
    if (name.endsWith(u'/'))
        name.chop(1);
    name = name.sliced(name.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.indexOf(u'.');
    return isOneOf(dot < 0 ? name : name.first(dot), SearchPages);
}

QUrl urlOf(QByteArrayView url)
{
    return QUrl(QString::fromUtf8(url));
}

bool isDeep(const QUrl& requested)
{
    return !isHomePath(requested.path()) || !requested.query().isEmpty();
}

} // namespace

bool MovedToHomePage(QByteArrayView requestedUrl, QByteArrayView finalUrl)
{
    return isDeep(urlOf(requestedUrl)) && isHomePath(urlOf(finalUrl).path());
}

bool MovedToSearchPage(QByteArrayView requestedUrl, QByteArrayView finalUrl)
{
    const QUrl requested = urlOf(requestedUrl);
    return isDeep(requested) && !isSearchPath(requested.path()) &&
           isSearchPath(urlOf(finalUrl).path());
}
