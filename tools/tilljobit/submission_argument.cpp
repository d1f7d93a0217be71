#include "tools/tilljobit/submission_argument.h"

namespace tools {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A register number: 1 to 6 decimal digits, so it always fits an int.
bool ParseCash(std::string_view text, int& cash) {
  text = TrimBlanks(text);
  if (text.empty() || text.size() > 6) return false;
  cash = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    cash = cash * 10 + (c - '0');
  }
  return true;
}

}  // namespace

int ParseSubmissionArgument(std::string_view argument, const std::function<bool(const std::string&)>& isFolder,
                            SubmissionArgument& parts, std::string& reason) {
  size_t firstComma = argument.find(',');
  if (firstComma == std::string_view::npos) {
    reason = "expected cash,file[,destination]";
    return 1;
  }
  if (!ParseCash(argument.substr(0, firstComma), parts.m_Cash)) {
    reason = "the cash number must be a register number in digits";
    return 1;
  }
  std::string_view rest = argument.substr(firstComma + 1);
  size_t lastComma = rest.rfind(',');
  parts.m_TicketPath = std::string(rest);
  parts.m_Destination.clear();
  if (lastComma != std::string_view::npos) {
    std::string destination(rest.substr(lastComma + 1));
    if (!destination.empty() && isFolder(destination)) {
      parts.m_TicketPath = std::string(rest.substr(0, lastComma));
      parts.m_Destination = destination;
    }
  }
  if (parts.m_TicketPath.empty()) {
    reason = "no ticket file given";
    return 1;
  }
  return 0;
}

}  // namespace tools
