#include "ColumnSharing.h"

#include <algorithm>
#include <cmath>

SharedColumn ShareWidthChange(SharedColumn column, int delta, int sharingColumns, int minimumWidth)
{
    if (sharingColumns < 1)
        return column;
    const double share = double(delta) / sharingColumns + column.carry;
    const double whole = std::trunc(share);
    column.carry = share - whole;
    column.width = std::max(column.width + int(whole), minimumWidth);
    return column;
}
