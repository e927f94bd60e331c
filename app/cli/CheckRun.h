#pragma once

struct CommandLine;

// Checks every link of the folder without a window or a display, prints the
// verdicts on standard output and the progress on a terminal's standard
// error, and deletes nothing. Makes its own QCoreApplication from argc and
// argv. Returns the exit status: 0 when no link is dead (links not sure or
// not checked do not count), 1 when some are, 2 when the folder cannot be
// read, 3 when standard output could not be written (the run stops at the
// first failed write), 128 plus the signal's number when SIGINT, SIGTERM or
// SIGHUP stopped it (what it judged is kept). A run that reached no server
// says so on standard error.
int RunCheck(const CommandLine& line, int& argc, char** argv);

// --export-html without --check: writes the folder's tree for a browser,
// every link in it. Returns 0, 2 when the folder cannot be read, or 4 when
// the file cannot be written.
int RunExport(const CommandLine& line, int& argc, char** argv);
