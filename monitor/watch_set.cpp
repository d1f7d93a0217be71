#include "monitor/watch_set.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "monitor/change_event.h"

namespace monitor {

int WatchSet::Build(const std::vector<std::string>& folders) {
  Clear();
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    int watch = ::inotify_add_watch(m_InotifyFd, folder.c_str(), WatchMask());
    if (watch < 0) continue;
    m_EntriesByWatch[watch].push_back(m_Entries.size());
    m_Entries.push_back(Entry{folder, watch, true, {}});
  }
  return WatchedCount();
}

void WatchSet::Clear() {
  for (const auto& [watch, entries] : m_EntriesByWatch) ::inotify_rm_watch(m_InotifyFd, watch);
  m_EntriesByWatch.clear();
  m_Entries.clear();
  m_PendingCount = 0;
  // The removals queue IN_IGNORED, and changes seen just before them may still be queued too.
  alignas(struct inotify_event) char buffer[4096];
  while (true) {
    ssize_t got = ::read(m_InotifyFd, buffer, sizeof buffer);
    if (got > 0) continue;
    if (got < 0 && errno == EINTR) continue;
    break;
  }
}

bool WatchSet::ReadAvailable() {
  alignas(struct inotify_event) char buffer[4096];
  while (true) {
    ssize_t got = ::read(m_InotifyFd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno == EAGAIN || errno == EWOULDBLOCK;
    }
    if (got == 0) return false;
    for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
      inotify_event event;
      std::memcpy(&event, buffer + offset, sizeof event);
      Apply(event.wd, event.mask, event.len);
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
    }
  }
}

void WatchSet::Apply(int watch, std::uint32_t mask, std::uint32_t nameLength) {
  ChangeKind kind = ClassifyChange(mask, nameLength);
  if (kind == ChangeKind::kOverflow) return RaiseEverywhere();
  auto found = m_EntriesByWatch.find(watch);
  // Events of a watch this set no longer holds (removed at a rebuild, or ended) are stale.
  if (found == m_EntriesByWatch.end()) return;
  switch (kind) {
    case ChangeKind::kLastWrite:
    case ChangeKind::kFileName:
    case ChangeKind::kDirName: {
      int kindIndex = kind == ChangeKind::kLastWrite ? 0 : kind == ChangeKind::kFileName ? 1 : 2;
      for (std::size_t index : found->second) Raise(m_Entries[index], kindIndex);
      return;
    }
    // A folder deleted or moved away is no longer watched under its listed path; it is tried again
    // at the next rebuild, which follows a change of the list.
    case ChangeKind::kFolderGone: return EndWatch(watch, true);
    case ChangeKind::kWatchEnded: return EndWatch(watch, false);
    default: return;
  }
}

std::optional<FolderChange> WatchSet::TakeLowest() {
  if (m_PendingCount == 0) return std::nullopt;
  for (Entry& entry : m_Entries) {
    for (int kindIndex = 0; kindIndex < 3; ++kindIndex) {
      if (!entry.pending[kindIndex]) continue;
      entry.pending[kindIndex] = false;
      --m_PendingCount;
      return FolderChange{entry.path, static_cast<short>(kindIndex + 1)};
    }
  }
  return std::nullopt;
}

int WatchSet::WatchedCount() const {
  int count = 0;
  for (const Entry& entry : m_Entries) count += entry.live ? 1 : 0;
  return count;
}

void WatchSet::Raise(Entry& entry, int kindIndex) {
  if (!entry.live || entry.pending[kindIndex]) return;
  entry.pending[kindIndex] = true;
  ++m_PendingCount;
}

void WatchSet::EndWatch(int watch, bool removeFromKernel) {
  auto found = m_EntriesByWatch.find(watch);
  if (found == m_EntriesByWatch.end()) return;
  for (std::size_t index : found->second) {
    Entry& entry = m_Entries[index];
    for (bool& flag : entry.pending) {
      if (flag) --m_PendingCount;
      flag = false;
    }
    entry.live = false;
  }
  // A moved folder keeps its watch in the kernel; a deleted one loses it anyway.
  if (removeFromKernel) ::inotify_rm_watch(m_InotifyFd, watch);
  m_EntriesByWatch.erase(found);
}

void WatchSet::RaiseEverywhere() {
  for (Entry& entry : m_Entries)
    for (int kindIndex = 0; kindIndex < 3; ++kindIndex) Raise(entry, kindIndex);
}

}  // namespace monitor
