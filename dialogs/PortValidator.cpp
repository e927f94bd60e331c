#include "PortValidator.h"

#include "PortCharFilter.h"

QValidator::State PortValidator::validate(QString& input, int&) const
{
    return PortNumberTooLarge(input, LocaleDecimalSeparator()) ? Invalid : Acceptable;
}
