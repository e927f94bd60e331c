#pragma once

#include <QByteArrayView>

// Whether a link that asked for more than a site's home page (a path beyond
// "/", a language's root such as "/en/", or an index page, or a query) was
// sent by its redirects to one: the way many sites answer for a page they
// no longer have. The query of the address reached does not matter; its
// host may be any.
bool MovedToHomePage(QByteArrayView requestedUrl, QByteArrayView finalUrl);

// The same for a site's search page ("/search", "/suche.php"), where some
// sites send the address of a page they no longer have.
bool MovedToSearchPage(QByteArrayView requestedUrl, QByteArrayView finalUrl);
