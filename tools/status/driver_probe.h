#pragma once
// Whether a driver runs on a base directory. A running driver holds an exclusive flock on the folder
// itself (platform::FolderLock, kOnTheFolder), which the kernel drops however the driver ends; a
// shared lock tried without waiting is refused exactly while that one is held. A lock that is granted
// is given back at once, so a driver starting meanwhile is never kept out.

#include <string>

namespace tools {

enum class DriverPresence { kRunning, kNotRunning };

// "" is the current folder. A folder that cannot be opened has no driver either.
DriverPresence ProbeDriver(const std::string& baseDirectory);

}  // namespace tools
