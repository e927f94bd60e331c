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

bool isHomePath(const QString& path)
{
    if (path.isEmpty() || path == u'/')
        return true;
    if (!path.startsWith(u'/'))
        return false;
    const QStringView name = QStringView(path).sliced(1);
    return std::any_of(std::begin(IndexPages), std::end(IndexPages), [name](const char* index) {
        return name.compare(QLatin1StringView(index), Qt::CaseInsensitive) == 0;
    });
}

QUrl urlOf(QByteArrayView url)
{
    return QUrl(QString::fromUtf8(url));
}

} // namespace

bool MovedToHomePage(QByteArrayView requestedUrl, QByteArrayView finalUrl)
{
    const QUrl requested = urlOf(requestedUrl);
    const bool deeper = !isHomePath(requested.path()) || !requested.query().isEmpty();
    return deeper && isHomePath(urlOf(finalUrl).path());
}
