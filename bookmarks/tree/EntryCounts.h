#pragma once

#include <QString>

class BookmarkModel;

struct EntryCounts
{
    int categories = 0; // folder entries other than the root entry
    int links = 0;
};

EntryCounts CountEntries(BookmarkModel& tree);
QString CategoriesText(const EntryCounts& counts); // "Categories : N"
QString LinksText(const EntryCounts& counts);      // "Links : N"
