#include "platform/shared_folder.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <vector>

namespace platform {

std::optional<unsigned> GroupNamed(const std::string& name) {
  if (name.empty()) return std::nullopt;
  std::vector<char> buffer(16384);
  group entry {};
  group* found = nullptr;
  if (::getgrnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
    return static_cast<unsigned>(found->gr_gid);
  unsigned number = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
  if (error == std::errc() && end == name.data() + name.size()) return number;
  return std::nullopt;
}

SystemError ShareFolderWithGroup(const std::string& folder, unsigned group) {
  if (::chown(folder.c_str(), static_cast<uid_t>(-1), static_cast<gid_t>(group)) != 0) return SystemError::Last("chown");
  if (::chmod(folder.c_str(), S_ISGID | S_IRWXU | S_IRWXG) != 0) return SystemError::Last("chmod");
  return {};
}

void LetGroupUseNewFiles() { ::umask(S_IRWXO); }

bool RunsAsRoot() { return ::geteuid() == 0; }

}  // namespace platform
