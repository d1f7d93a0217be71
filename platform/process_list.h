#pragma once
// The process list: ending every running instance of a competing program, and the driver's own
// scheduling priority. The only place of the system that scans /proc and signals other processes.

#include <chrono>
#include <string>

namespace platform {

// How long a process is given to end after the polite request before it is killed.
inline constexpr std::chrono::milliseconds kTerminateGracePeriod{5000};

// Ends every running process whose executable name equals name, ignoring letter case: each in turn
// gets SIGTERM, up to kTerminateGracePeriod to end, then SIGKILL. Returns the number ended. The search
// stops at the first process that cannot be signalled, returning the number ended so far.
int TerminatePendingApplication(const std::string& name);

// Windows priority classes, as the driver's log lines report them.
inline constexpr int kNormalPriorityClass = 32;
inline constexpr int kHighPriorityClass = 128;

// Reads the priority class of this process into priorityClass (nice 0 or above: normal, below: high).
// Returns 0, or the errno of the failed read.
int ReadPriorityClass(int& priorityClass);

// Raises this process to high priority (nice -10). False when the system does not allow it.
bool RaisePriorityHigh();

}  // namespace platform
