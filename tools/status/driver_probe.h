#pragma once
// Whether a driver runs on a base directory. A running driver holds an exclusive flock on the folder
// itself (platform::FolderLock, kOnTheFolder), which the kernel drops however the driver ends. The
// kernel lists every such lock in /proc/locks with the folder's device and inode: the probe reads that
// list and takes no lock of its own, so a driver starting at the same moment is never kept out. Where
// /proc/locks cannot be read, a shared lock is tried without waiting and given back at once.

#include <string>

namespace tools {

enum class DriverPresence { kRunning, kNotRunning };

// "" is the current folder. A folder that cannot be opened has no driver either.
DriverPresence ProbeDriver(const std::string& baseDirectory);

}  // namespace tools
