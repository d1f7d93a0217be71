#include "tools/tilljobit/reply_report.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "platform/text_file.h"

namespace tools {
namespace {

// The lines of a text, without their line ends ("\n", or "\r\n").
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string_view rest(text);
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  return lines;
}

bool ParseCode(std::string_view text, int& code) {
  if (text.empty()) return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
  return error == std::errc() && end == text.data() + text.size();
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// A warning line is "%3d%5d": the element's index, then its code. A line of another form is shown.
bool ElementDone(const std::string& line) {
  std::string_view rest(line);
  for (int field = 0; field < 2; ++field) {
    rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(' ')));
    const std::size_t end = std::min(rest.size(), rest.find(' '));
    int value = 0;
    if (!ParseCode(rest.substr(0, end), value) || (field == 1 && value != 0)) return false;
    rest.remove_prefix(end);
  }
  return rest.empty();
}

}  // namespace

int ReadReply(const DroppedTicket& ticket, ReplyOutcome& outcome, std::string& reason) {
  std::optional<std::string> reply = platform::ReadWholeFile(ticket.m_ReplyPath);
  if (!reply) {
    reason = "cannot read the reply " + ticket.m_ReplyPath;
    return 1;
  }
  std::vector<std::string> lines = Lines(*reply);
  if (lines.empty() || !ParseCode(lines.back(), outcome.m_Code)) {
    reason = "the reply " + ticket.m_ReplyPath + " carries no result code";
    return 1;
  }
  lines.pop_back();
  outcome.m_ReplyLines = std::move(lines);
  if (std::optional<std::string> warnings = platform::ReadWholeFile(ticket.m_WarningPath))
    outcome.m_Warnings = Lines(*warnings);
  outcome.m_Rejected = Exists(ticket.m_ErrorPath);
  return 0;
}

std::string FormatOutcome(const DroppedTicket& ticket, const ReplyOutcome& outcome) {
  std::string text;
  int done = 0;
  for (const std::string& line : outcome.m_Warnings) {
    if (ElementDone(line)) {
      ++done;
    } else {
      text += "warning: " + line + "\n";
    }
  }
  if (done > 0) text += "elements done: " + std::to_string(done) + "\n";
  for (const std::string& line : outcome.m_ReplyLines) text += "reply: " + line + "\n";
  if (outcome.m_Rejected) text += "rejected: " + ticket.m_ErrorPath + "\n";
  text += "code: " + std::to_string(outcome.m_Code) + "\n";
  return text;
}

int ExitCodeFor(int replyCode) { return (replyCode >= 0 && replyCode <= 255) ? replyCode : 255; }

}  // namespace tools
