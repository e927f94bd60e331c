#pragma once

// Copies the extended attributes of the user namespace ("user.*", where
// desktops keep such things as the address a file came from) from the file
// open as from to the one open as to. A file system that keeps none has none
// to copy. False, with errno set, when one could not be copied.
bool CopyUserAttributes(int from, int to);
