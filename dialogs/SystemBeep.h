#pragma once

#include <functional>

// The default system beep, behind one replaceable function so a test can
// count the beeps instead of hearing them.
using BeepFunction = std::function<void()>;

void SetBeeper(BeepFunction beeper); // empty function: the real beep
void SystemBeep();
