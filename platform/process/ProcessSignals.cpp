#include "ProcessSignals.h"

#include <csignal>

void SetUpProcessSignals()
{
    std::signal(SIGXFSZ, SIG_IGN);
}
