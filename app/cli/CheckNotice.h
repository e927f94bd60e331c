#pragma once

#include <QDateTime>
#include <QString>
#include <filesystem>

class NewProblems;

// Tells the desktop, in one notification, of the links a check of folder
// found newly dead or not sure; nothing when there are none. Its "Show"
// button, chosen while the check waits for it, opens the window on folder
// showing the dead links (the links not sure when none of them is dead). Returns why no notice
// could be given, for standard error; empty when it was, or none was due.
QString NotifyNewProblems(const NewProblems& problems, const std::filesystem::path& folder,
                          const QDateTime& now);
