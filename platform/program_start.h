#pragma once
// Starting another program without waiting for it, as the desktop's text viewer is started for a
// saved report. No shell ever sees the arguments: each reaches the program as one argument, unchanged.

#include <string>
#include <vector>

namespace platform {

// Starts program (looked up in PATH unless it holds a '/') with these arguments, in a session of its
// own and with the signals the driver ignores back at their defaults. The program is not waited for;
// its end is collected in the background, so it never lingers as a zombie. False when it could not be
// started, a missing program included.
bool StartProgramDetached(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace platform
