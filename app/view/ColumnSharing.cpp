#include "ColumnSharing.h"

#include <algorithm>
#include <cmath>

SharedColumn ShareWidthChange(SharedColumn column, int delta, int sharingColumns)
{
    if (sharingColumns < 1)
        return column;
    const double share = double(delta) / sharingColumns + column.carry;
    const double whole = std::trunc(share);
    column.carry = share - whole;
    column.width += int(whole);
    return column;
}

int ShownWidth(const SharedColumn& column)
{
    return std::max(column.width, 0);
}
