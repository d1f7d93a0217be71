#include "driver/tickets/reply_files.h"

#include <cstdio>

#include "platform/debug_log.h"
#include "platform/folder_files.h"

namespace driver {
namespace {

template <class... Values>
std::string Line(const char* format, Values... values) {
  char line[64];
  int length = std::snprintf(line, sizeof line, format, values...);
  return std::string(line, static_cast<std::size_t>(length < 0 ? 0 : length));
}

}  // namespace

std::string WarningLine(std::int32_t elementIndex, std::int32_t code) { return Line("%3d%5d\n", elementIndex, code); }

void AppendWarningLine(const std::string& warningPath, std::int32_t elementIndex, std::int32_t code) {
  if (platform::AppendToFile(warningPath, WarningLine(elementIndex, code)).Failed()) {
    platform::DebugLog("WriteWarning: outputfile [%s] == NULL ", warningPath.c_str());
  }
}

void AppendReplyText(const std::string& replyWorkPath, const std::string& text) {
  if (platform::AppendToFile(replyWorkPath, text + "\n").Failed()) {
    platform::DebugLog("WriteReplyString: outputfile [%s] == NULL ", replyWorkPath.c_str());
  }
}

bool WriteReplyCode(const std::string& replyWorkPath, std::int32_t code) {
  if (!platform::AppendToFile(replyWorkPath, Line("%d\n", code)).Failed()) return true;
  platform::RemoveFile(replyWorkPath);
  return false;
}

bool NameReply(const std::string& replyWorkPath, const std::string& replyPath) {
  return !platform::RenameWithoutReplacing(replyWorkPath, replyPath).Failed();
}

void RemoveJobFile(const std::string& path) { platform::RemoveFile(path); }

}  // namespace driver
