#pragma once

#include "BookmarkEntry.h"

#include <QVariant>

enum BookmarkColumn
{
    ColumnName = 0,
    ColumnLink = 1,
    ColumnStatus = 2,
    ColumnCount = 3
};

// A BookmarkImage: the node icon in the Name column, a link's lamp in the
// Status column.
constexpr int BookmarkImageRole = Qt::UserRole + 1;

// What a cell of entry's row holds for a role: its text, picture, the words
// a screen reader says for a lamp, its tooltip.
QVariant CellData(const BookmarkEntry& entry, int column, int role);
QVariant ColumnTitle(int section);
