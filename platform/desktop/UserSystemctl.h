#pragma once

#include <QString>
#include <QStringList>

// What `systemctl --user …` answered.
struct SystemctlAnswer
{
    // It ran and ended with exit code 0.
    bool ok = false;
    // Why not, in systemctl's words where it gave any ("Failed to connect
    // to bus: …"); empty when ok.
    QString why;
};

// Whether a systemctl is on PATH.
bool UserSystemctlFound();
// Runs the systemctl of PATH with --user and the arguments, without a shell
// and for at most a time-out, after which it is killed.
SystemctlAnswer RunUserSystemctl(const QStringList& arguments);
