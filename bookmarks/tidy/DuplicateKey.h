#pragma once

#include <QString>

// Two links lead to the same page when their keys are equal. For http and
// https the key leaves out what does not change the page: the scheme (http
// and https alike), the case of the host and a leading "www.", the default
// port, one slash at the end of the path (an empty path is "/"), an anchor
// fragment ("#top"; a route such as "#!/home" or "#label/Work", which starts
// with '!' or holds a '/', stays), the tracking parameters utm_*, fbclid and
// gclid and empty parameters (the others keep their order; a query left
// empty loses its '?'). Any other link is compared as written, trimmed, its scheme
// lower-cased. An empty link gives an empty key, which matches nothing.
QString DuplicateKey(const QString& link);
