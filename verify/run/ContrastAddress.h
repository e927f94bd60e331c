#pragma once

#include <QRandomGenerator>
#include <QString>
#include <optional>

// An address on a link's site that cannot exist, to hear how the site
// answers one: same scheme, host and port, same directory, a made-up name
// of 24 letters and digits without vowels (so never a word), with the
// extension and the closing "/" the link's own name has. A link with a query
// keeps its path and gets its query's names with made-up values instead,
// since there the query names the page.
struct ContrastAddress
{
    // The same for every link that would get the same kind of made-up
    // address: the site answers them all alike.
    QString pattern;
    QString madeUp;
};

// Nothing for a link that is no http or https URL with a host.
std::optional<ContrastAddress> ContrastAddressFor(const QString& link, QRandomGenerator& random);
