#include "tools/tilljobit/ticket_drop.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/text_file.h"

namespace tools {
namespace {

constexpr const char* kFamily[] = {".txt", ".tmp", ".rep", ".inf", ".err", ".mag"};
constexpr int kNameAttempts = 1000;

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

std::string SystemError(const char* call, const std::string& path) {
  return std::string(call) + " " + path + ": " + std::strerror(errno);
}

// The source file's name without its extension, lower-cased and kept to letters, digits, "-" and "_".
std::string NameStem(const std::string& source) {
  std::string name = source.substr(source.rfind('/') + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  std::string stem;
  for (char c : name) {
    char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    bool kept = (lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9') || lower == '-' || lower == '_';
    if (kept && stem.size() < 32) stem += lower;
  }
  return stem.empty() ? "ticket" : stem;
}

bool FamilyIsFree(const std::string& folder, const std::string& name) {
  for (const char* extension : kFamily)
    if (Exists(folder + "/" + name + extension)) return false;
  return true;
}

bool WriteAllAndSync(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    written += static_cast<size_t>(count);
  }
  return ::fsync(fd) == 0;
}

// Renames without ever replacing a file; EEXIST when the name was taken meanwhile.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // File systems without the flag: a hard link fails on an existing name just the same.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Writes the temporary file; 0, EEXIST when the name is taken, other errno values on failure.
int WriteTemporary(const std::string& path, const std::string& bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errno;
  bool written = WriteAllAndSync(fd, bytes);
  int error = written ? 0 : (errno != 0 ? errno : EIO);
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) ::unlink(path.c_str());
  return error;
}

}  // namespace

DroppedTicket TicketFamily(const std::string& folder, const std::string& name) {
  std::string base = folder + "/" + name;
  return {base + ".txt", base + ".rep", base + ".inf", base + ".err"};
}

int DropTicket(const std::string& source, const std::string& registerFolder, DroppedTicket& dropped,
               std::string& reason) {
  std::optional<std::string> bytes = platform::ReadWholeFile(source);
  if (!bytes) {
    reason = "cannot read the ticket " + source;
    return 1;
  }
  std::string stem = NameStem(source) + "-" + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = stem + std::to_string(attempt);
    if (!FamilyIsFree(registerFolder, name)) continue;
    std::string temporary = registerFolder + "/" + name + ".tmp";
    int error = WriteTemporary(temporary, *bytes);
    if (error == EEXIST) continue;
    if (error != 0) {
      errno = error;
      reason = SystemError("cannot write", temporary);
      return 1;
    }
    dropped = TicketFamily(registerFolder, name);
    error = RenameNoReplace(temporary, dropped.m_TicketPath);
    if (error == 0) {
      SyncFolder(registerFolder);
      return 0;
    }
    ::unlink(temporary.c_str());
    if (error != EEXIST) {
      errno = error;
      reason = SystemError("cannot rename to", dropped.m_TicketPath);
      return 1;
    }
  }
  reason = "no free ticket name in " + registerFolder;
  return 1;
}

}  // namespace tools
