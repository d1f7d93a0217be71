#pragma once
// qor-status's command line:
//   qor-status [--base DIR] [--json] [--watch]

#include <optional>
#include <string>

namespace tools {

struct CStatusOptions {
  std::optional<std::string> m_Base;  // base directory instead of the driver's own
  bool m_Json = false;                // the status file as it is
  bool m_Watch = false;               // again every second until interrupted
  bool m_Help = false;
};

inline constexpr const char* kStatusUsage = "usage: qor-status [--base DIR] [--json] [--watch]\n";

// The options, or nothing with the reason in error.
std::optional<CStatusOptions> ParseStatusOptions(int argc, const char* const* argv, std::string& error);

}  // namespace tools
