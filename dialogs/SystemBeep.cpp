#include "SystemBeep.h"

#include <QApplication>

namespace {

BeepFunction& beeper()
{
    static BeepFunction instance;
    return instance;
}

} // namespace

void SetBeeper(BeepFunction function)
{
    beeper() = std::move(function);
}

void SystemBeep()
{
    if (beeper())
        beeper()();
    else
        QApplication::beep();
}
