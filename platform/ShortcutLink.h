#pragma once

#include "FileId.h"

#include <QString>

// The link of the shortcut file name inside the directory open as dirFd, from
// one read of the file. Windows keeps the exact address in UTF-7 under
// [InternetShortcut.W] URL, while [InternetShortcut] URL is right only in
// the code page it was saved in; so the first wins when it is well-formed
// and not empty. Reading rules and bounds are those of ReadProfileStringAt,
// the bound holding for the decoded address, and *nameId is set as it sets it.
QString ReadShortcutLinkAt(int dirFd, const char* name, FileId& nameId);
