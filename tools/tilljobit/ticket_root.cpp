#include "tools/tilljobit/ticket_root.h"

#include <sys/stat.h>

#include <optional>
#include <string_view>

#include "platform/store.h"
#include "platform/text_file.h"

namespace tools {
namespace {

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A section header is a line that begins with "[" and ends with "]"; its name is the line without all
// leading "[" and all trailing "]".
bool SectionName(std::string_view line, std::string_view& name) {
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  while (!line.empty() && line.front() == '[') line.remove_prefix(1);
  while (!line.empty() && line.back() == ']') line.remove_suffix(1);
  name = line;
  return true;
}

}  // namespace

std::string BaseDirectory(const platform::Store& store) {
  std::optional<std::string> module = store.GetValue(kControlServerKey, "");
  if (!module) return {};
  size_t slash = module->rfind('/');
  if (slash == std::string::npos) return {};
  return module->substr(0, slash + 1);
}

std::string TicketFolderSetting(const std::string& qorCfg) {
  std::string_view text(qorCfg);
  std::string_view section;
  std::string value;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || SectionName(line, section)) continue;
    constexpr std::string_view kKey = "TicketFolder=";
    if (section == "FOLDERS" && line.substr(0, kKey.size()) == kKey) value = std::string(line.substr(kKey.size()));
  }
  return value;
}

std::string TicketRoot(const std::string& baseDirectory) {
  std::string defaultRoot = baseDirectory + "Tickets";
  std::optional<std::string> qorCfg = platform::ReadWholeFile(baseDirectory + "Qor.cfg");
  if (!qorCfg) return defaultRoot;
  std::string custom = TicketFolderSetting(*qorCfg);
  if (!custom.empty() && IsFolder(custom)) return custom;
  return defaultRoot;
}

std::string RegisterFolder(const std::string& ticketRoot, int cash) {
  std::string folder = ticketRoot;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + std::to_string(cash);
}

}  // namespace tools
