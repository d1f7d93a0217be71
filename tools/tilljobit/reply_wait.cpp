#include "tools/tilljobit/reply_wait.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace tools {
namespace {

constexpr std::chrono::milliseconds kLookInterval{200};

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

void DrainEvents(int fd) {
  alignas(inotify_event) char buffer[4096];
  while (::read(fd, buffer, sizeof buffer) > 0) {
  }
}

}  // namespace

bool WaitForReplyFile(const std::string& folder, const std::string& replyPath, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd >= 0 && ::inotify_add_watch(fd, folder.c_str(), IN_MOVED_TO | IN_CREATE | IN_CLOSE_WRITE) < 0) {
    ::close(fd);
    fd = -1;
  }
  bool found = false;
  while (true) {
    // Looked at after the watch is in place, so a reply renamed in between is not missed.
    if (Exists(replyPath)) {
      found = true;
      break;
    }
    auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (remaining <= std::chrono::milliseconds::zero()) break;
    int wait = static_cast<int>(std::min(remaining, kLookInterval).count()) + 1;
    if (fd >= 0) {
      pollfd watch{fd, POLLIN, 0};
      if (::poll(&watch, 1, wait) > 0) DrainEvents(fd);
    } else {
      ::poll(nullptr, 0, wait);
    }
  }
  if (fd >= 0) ::close(fd);
  return found;
}

}  // namespace tools
