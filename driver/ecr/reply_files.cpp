#include "driver/ecr/reply_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

#include "driver/ecr/command_strings.h"
#include "platform/debug_log.h"

namespace driver {
namespace {

// Appends text with one write, so a reader never sees half a line.
bool AppendToFile(const std::string& path, const std::string& text) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ssize_t written = ::write(fd, text.data(), text.size());
  ::close(fd);
  return written == static_cast<ssize_t>(text.size());
}

// Renames without replacing, as the registers' clients expect: an existing reply is never overwritten.
void RenameWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno != EINVAL && errno != ENOSYS) return;
  // Filesystems without RENAME_NOREPLACE: a hard link fails the same way when the target exists.
  if (::link(from.c_str(), to.c_str()) == 0) ::unlink(from.c_str());
}

}  // namespace

void AppendWarningLine(const std::string& warningPath, std::int32_t elementIndex, std::int32_t code) {
  if (!AppendToFile(warningPath, FormatText("%3d%5d\n", elementIndex, code))) {
    platform::DebugLog("WriteWarning: outputfile [%s] == NULL ", warningPath.c_str());
  }
}

void AppendReplyText(const std::string& replyWorkPath, const std::string& text) {
  if (!AppendToFile(replyWorkPath, FormatText("%s\n", text.c_str()))) {
    platform::DebugLog("WriteReplyString: outputfile [%s] == NULL ", replyWorkPath.c_str());
  }
}

void FinishReply(const std::string& replyWorkPath, const std::string& replyPath, std::int32_t code) {
  if (!AppendToFile(replyWorkPath, FormatText("%d\n", code))) {
    platform::DebugLog("WriteReply: outputfile [%s] == NULL ", replyWorkPath.c_str());
    return;
  }
  RenameWithoutReplacing(replyWorkPath, replyPath);
}

void RemoveJobFile(const std::string& path) {
  if (!path.empty()) ::unlink(path.c_str());
}

}  // namespace driver
