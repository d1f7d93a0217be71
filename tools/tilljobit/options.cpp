#include "tools/tilljobit/options.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace tools {
namespace {

// Seconds, fractions allowed, more than 0 and at most a day.
bool ParseTimeout(std::string_view text, std::chrono::milliseconds& timeout) {
  double seconds = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size() || !(seconds > 0) || seconds > 86400) return false;
  timeout = std::chrono::milliseconds(static_cast<long long>(std::ceil(seconds * 1000)));
  return true;
}

}  // namespace

int ParseOptions(int argc, const char* const* argv, TillJobItOptions& options, std::string& reason) {
  bool haveArgument = false;
  for (int index = 1; index < argc; ++index) {
    std::string_view word(argv[index]);
    bool needsValue = word == "--timeout" || word == "--base";
    if (needsValue && index + 1 >= argc) {
      reason = std::string(word) + " needs a value";
      return 1;
    }
    if (word == "--timeout") {
      if (!ParseTimeout(argv[++index], options.m_Timeout)) {
        reason = "--timeout wants seconds above 0";
        return 1;
      }
    } else if (word == "--base") {
      options.m_Base = argv[++index];
    } else if (word == "--keep") {
      options.m_Keep = true;
    } else if (word == "--help" || word == "-h") {
      options.m_Help = true;
    } else if (haveArgument || (word.size() > 2 && word.substr(0, 2) == "--")) {
      reason = "unexpected " + std::string(word);
      return 1;
    } else {
      options.m_Argument = std::string(word);
      haveArgument = true;
    }
  }
  if (!haveArgument && !options.m_Help) {
    reason = "no cash,file argument";
    return 1;
  }
  return 0;
}

}  // namespace tools
