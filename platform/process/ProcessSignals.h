#pragma once

// Sets the signal dispositions the program runs with; main() calls it first.
// A file-size limit (ulimit -f) then makes a write fail with EFBIG, which a
// save reports, instead of killing the program with SIGXFSZ halfway through.
void SetUpProcessSignals();
