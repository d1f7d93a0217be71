#include "platform/debug_log.h"

#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace platform {
namespace {

constexpr std::size_t kLineBufferSize = 512;

struct ObserverList {
  std::mutex lock;
  std::vector<IDebugLogObserver*> observers;
};

ObserverList& Observers() {
  static ObserverList list;
  return list;
}

bool StandardErrorEnabled() {
  static const bool enabled = [] {
    const char* value = std::getenv("QOR_DEBUG_LOG");
    return value == nullptr || std::strcmp(value, "0") != 0;
  }();
  return enabled;
}

}  // namespace

void DebugLog(const char* format, ...) {
  char line[kLineBufferSize + 1];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(line, kLineBufferSize, format, args);
  va_end(args);
  if (length < 0) return;
  std::size_t used = std::min<std::size_t>(static_cast<std::size_t>(length), kLineBufferSize - 1);

  {
    ObserverList& list = Observers();
    std::lock_guard guard(list.lock);
    for (IDebugLogObserver* observer : list.observers) observer->OnDebugLine(std::string_view(line, used));
  }
  if (StandardErrorEnabled()) {
    line[used] = '\n';
    ssize_t ignored = ::write(STDERR_FILENO, line, used + 1);
    (void)ignored;
  }
}

void AddDebugLogObserver(IDebugLogObserver* observer) {
  ObserverList& list = Observers();
  std::lock_guard guard(list.lock);
  list.observers.push_back(observer);
}

void RemoveDebugLogObserver(IDebugLogObserver* observer) {
  ObserverList& list = Observers();
  std::lock_guard guard(list.lock);
  list.observers.erase(std::remove(list.observers.begin(), list.observers.end(), observer), list.observers.end());
}

}  // namespace platform
