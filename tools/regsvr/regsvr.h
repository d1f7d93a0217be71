#pragma once
// qor-regsvr [-u] MODULE: registers a component module in the machine-wide store (or removes its
// registration with -u), the way regsvr32 does for in-process servers.

#include <ostream>
#include <string>
#include <vector>

namespace tools {

// Exit statuses of the tool.
constexpr int kRegsvrDone = 0;
constexpr int kRegsvrFailed = 1;
constexpr int kRegsvrBadUsage = 2;

// Runs the tool on its arguments (without the program name); one line goes to out on success,
// to err otherwise. The store is platform::Store at its default path (QOR_REGISTRY when set).
int RunRegsvr(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace tools
