#pragma once
// TillJobIt's command line:
//   TillJobIt [--timeout SECONDS] [--base DIR] [--keep] cash,file[,destination]

#include <chrono>
#include <optional>
#include <string>

namespace tools {

struct TillJobItOptions {
  std::chrono::milliseconds m_Timeout{60000};  // how long to wait for the reply
  std::optional<std::string> m_Base;           // base directory instead of the registered one
  bool m_Keep = false;                         // leave the ".rep" and ".inf" files after reading them
  bool m_Help = false;
  std::string m_Argument;                      // "cash,file[,destination]"
};

inline constexpr const char* kUsage =
    "usage: TillJobIt [--timeout SECONDS] [--base DIR] [--keep] cash,file[,destination]\n";

// 0 and the options, or nonzero with a reason.
int ParseOptions(int argc, const char* const* argv, TillJobItOptions& options, std::string& reason);

}  // namespace tools
