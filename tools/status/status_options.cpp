#include "tools/status/status_options.h"

#include <string_view>

namespace tools {

std::optional<CStatusOptions> ParseStatusOptions(int argc, const char* const* argv, std::string& error) {
  CStatusOptions options;
  for (int index = 1; index < argc; ++index) {
    std::string_view word(argv[index]);
    if (word == "--base" && index + 1 < argc && argv[index + 1][0] != '\0') {
      options.m_Base = argv[++index];
    } else if (word == "--json") {
      options.m_Json = true;
    } else if (word == "--watch") {
      options.m_Watch = true;
    } else if (word == "--help" || word == "-h") {
      options.m_Help = true;
    } else {
      error = word == "--base" ? "--base needs a folder" : "unexpected " + std::string(word);
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace tools
