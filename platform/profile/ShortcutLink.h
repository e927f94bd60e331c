#pragma once

#include "FileId.h"

#include <QString>

// A shortcut's link as the program checks it, and whether it is the whole
// value the file holds: a value in quotes, one past the length bound or one
// with a double quote inside (where the link ends) is more than the link,
// and writing another link in its place would lose the rest.
struct ShortcutLinkValue
{
    QString link;
    bool whole = true;
};

// The link of a shortcut's text. Windows keeps the exact address in UTF-7
// under [InternetShortcut.W] URL, while [InternetShortcut] URL is right only
// in the code page it was saved in; so the first wins when it is well-formed
// and not empty. Reading rules and bounds are those of ReadProfileStringAt,
// the bound holding for the decoded address. A double quote ends the link.
ShortcutLinkValue ShortcutLinkOf(const QString& text);

// The same, from one read of the shortcut file name inside the directory
// open as dirFd; *nameId and *stamp are set as ReadProfileTextAt sets them.
ShortcutLinkValue ReadShortcutLinkAt(int dirFd, const char* name, FileId& nameId,
                                     FileStamp* stamp = nullptr);
