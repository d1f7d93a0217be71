#include "emulator/settings_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>

#include "platform/debug_log.h"

namespace emulator {

CSettingsWatch::CSettingsWatch(const std::string& folder, std::string fileName) : m_FileName(std::move(fileName)) {
  m_Descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (m_Descriptor < 0) return;
  const uint32_t events = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM;
  if (inotify_add_watch(m_Descriptor, folder.c_str(), events) < 0) {
    platform::DebugLog("QorEmulator: cannot watch [%s]: %s", folder.c_str(), std::strerror(errno));
    ::close(m_Descriptor);
    m_Descriptor = -1;
  }
}

CSettingsWatch::~CSettingsWatch() {
  if (m_Descriptor >= 0) ::close(m_Descriptor);
}

bool CSettingsWatch::SettingsChanged() {
  if (m_Descriptor < 0) return false;
  bool changed = false;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t length = ::read(m_Descriptor, buffer, sizeof buffer);
    if (length <= 0) break;
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->len > 0 && m_FileName == event->name) changed = true;
      if (event->mask & IN_Q_OVERFLOW) changed = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  return changed;
}

}  // namespace emulator
