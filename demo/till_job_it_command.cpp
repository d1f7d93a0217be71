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

std::string FindTillJobIt() {
  const char* chosen = std::getenv("QOR_TILLJOBIT");
  if (chosen != nullptr && *chosen != '\0') return chosen;
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string_view folders(path);
  while (true) {
    size_t colon = folders.find(':');
    std::string folder(folders.substr(0, colon));
    std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + kTillJobItName;
    if (IsExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) return {};
    folders.remove_prefix(colon + 1);
  }
}

}  // namespace demo
