#pragma once

#include <QtGlobal>

// What the first bytes of an HTML answer say about the page.
enum class PageSignal : quint8
{
    None,
    Parked,       // the domain is parked or for sale
    SaysNotFound, // the title or a first heading says the page is not there
    Expired,      // a registrar's page: the domain has expired or is to be deleted
};
