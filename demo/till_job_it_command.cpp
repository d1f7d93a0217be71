#include "demo/till_job_it_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace demo {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string TillJobItArgument(const RunFields& fields) {
  std::string argument = fields.m_CashNumber + "," + fields.m_FilePath;
  if (!fields.m_Destination.empty()) argument += "," + fields.m_Destination;
  return argument;
}

std::string FindTillJobIt(const std::string& ownFolder) {
  const char* chosen = std::getenv("QOR_TILLJOBIT");
  if (chosen != nullptr && *chosen != '\0') return chosen;
  const char* path = std::getenv("PATH");
  std::string_view folders(path != nullptr ? path : "");
  while (path != nullptr) {
    size_t colon = folders.find(':');
    std::string folder(folders.substr(0, colon));
    std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + kTillJobItName;
    if (IsExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) break;
    folders.remove_prefix(colon + 1);
  }
  std::string own = ownFolder + "/" + kTillJobItName;
  if (!ownFolder.empty() && IsExecutableFile(own)) return own;
  return {};
}

}  // namespace demo
