#pragma once
// Waits for the driver's reply file. The driver writes the reply as ".mag" and renames it to ".rep",
// so the ".rep" is complete the moment it exists. The wait wakes on the folder's change notifications
// (inotify) and also looks every 200 ms, so it still ends in time if notifications are unavailable.

#include <chrono>
#include <string>

namespace tools {

// True when the file exists before the limit has passed.
bool WaitForReplyFile(const std::string& folder, const std::string& replyPath, std::chrono::milliseconds limit);

}  // namespace tools
