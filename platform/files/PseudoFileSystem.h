#pragma once

// True when the directory at path lies on a file system of the kernel's own
// making (proc, sysfs, devtmpfs, cgroup, debugfs, ...): its trees describe the
// running system, can be endless or change while read, and hold no shortcuts.
// A directory that cannot be opened is not called pseudo here.
bool IsPseudoFileSystem(const char* path);
