#include "monitor/watch_set.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "monitor/appeared_names.h"
#include "monitor/change_event.h"

namespace monitor {
namespace {

// A search that keeps landing somewhere new means the folders on the way are changing right now;
// it then ends and the next wake-up of the worker searches again.
constexpr int kMaxSearches = 16;

// The folder that holds path ("/a/b/" -> "/a", "b" -> "."); empty when path has none.
std::string ParentFolder(const std::string& path) {
  std::size_t end = path.find_last_not_of('/');
  if (end == std::string::npos) return {};
  std::size_t slash = path.find_last_of('/', end);
  if (slash == std::string::npos) return path.substr(0, end + 1) == "." ? std::string() : std::string(".");
  std::size_t parentEnd = path.find_last_not_of('/', slash);
  return parentEnd == std::string::npos ? std::string("/") : path.substr(0, parentEnd + 1);
}

}  // namespace

int WatchSet::Build(const std::vector<std::string>& folders) {
  // A rebuild keeps what the previous set still had to report, changes queued included.
  std::map<std::string, std::array<bool, 3>> previous;
  if (m_Built) {
    ReadAvailable();
    for (const Entry& entry : m_Entries) previous[entry.path] = entry.pending;
  }
  Clear();
  bool anyMissing = false;
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    m_Entries.push_back(Entry{folder, -1, false, {}});
    int watch = ::inotify_add_watch(m_InotifyFd, folder.c_str(), WatchMask());
    if (watch >= 0) MakeLive(m_Entries.size() - 1, watch);
    else anyMissing = true;
  }
  if (anyMissing) Recover();
  // A folder new to the list is scanned once watched: tickets may wait in it already, or have been
  // dropped before its watch existed. The first build leaves that to the start notification.
  for (Entry& entry : m_Entries) {
    auto before = previous.find(entry.path);
    if (before == previous.end()) {
      if (m_Built) Raise(entry, 1);
      continue;
    }
    for (int kindIndex = 0; kindIndex < 3; ++kindIndex)
      if (before->second[kindIndex]) Raise(entry, kindIndex);
  }
  m_Built = true;
  return WatchedCount();
}

void WatchSet::Clear() {
  for (const auto& [watch, entries] : m_EntriesByWatch) ::inotify_rm_watch(m_InotifyFd, watch);
  for (int watch : m_AncestorWatches)
    if (m_EntriesByWatch.count(watch) == 0) ::inotify_rm_watch(m_InotifyFd, watch);
  m_EntriesByWatch.clear();
  m_AncestorWatches.clear();
  m_Entries.clear();
  m_PendingCount = 0;
  m_RecoveryWanted = false;
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
      // The name is padded with NULs to the event's length.
      const char* name = buffer + offset + sizeof(inotify_event);
      Apply(event.wd, event.mask, event.len == 0 ? std::string_view() : std::string_view(name, ::strnlen(name, event.len)));
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
    }
  }
}

void WatchSet::Apply(int watch, std::uint32_t mask, std::string_view name) {
  ChangeKind kind = ClassifyChange(mask, static_cast<std::uint32_t>(name.size()));
  if (kind == ChangeKind::kOverflow) {
    // The lost events may have told of a missing folder's return, and of any folder's new files.
    m_RecoveryWanted = true;
    if (m_Appeared) m_Appeared->MarkGapEverywhere();
    return RaiseEverywhere();
  }
  if (m_AncestorWatches.count(watch) != 0) ApplyToAncestor(watch, mask);
  auto found = m_EntriesByWatch.find(watch);
  // Events of a watch this set no longer holds (removed at a rebuild, or ended) are stale.
  if (found == m_EntriesByWatch.end()) return;
  switch (kind) {
    case ChangeKind::kLastWrite:
    case ChangeKind::kFileName:
    case ChangeKind::kDirName: {
      int kindIndex = kind == ChangeKind::kLastWrite ? 0 : kind == ChangeKind::kFileName ? 1 : 2;
      const bool appeared = m_Appeared && FileAppears(mask);
      for (std::size_t index : found->second) {
        if (appeared) m_Appeared->Add(m_Entries[index].path, name);
        Raise(m_Entries[index], kindIndex);
      }
      return;
    }
    // A folder deleted or moved away is no longer watched under its listed path; it is watched
    // again once a folder stands under that path again.
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

void WatchSet::Recover() {
  m_RecoveryWanted = false;
  std::unordered_set<int> neededAncestors;
  for (std::size_t index = 0; index < m_Entries.size(); ++index)
    if (!m_Entries[index].live) TrackMissing(index, neededAncestors);
  DropAncestorsExcept(neededAncestors);
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
    entry.watch = -1;
  }
  // A moved folder keeps its watch in the kernel; a deleted one loses it anyway.
  if (removeFromKernel) ::inotify_rm_watch(m_InotifyFd, watch);
  m_EntriesByWatch.erase(found);
  // The watch served as an ancestor watch too, if it was one; either way the folder's ancestor
  // must now be watched, to see it come back.
  m_AncestorWatches.erase(watch);
  m_RecoveryWanted = true;
}

void WatchSet::RaiseFileNameEverywhere() {
  for (Entry& entry : m_Entries) Raise(entry, 1);
}

void WatchSet::RaiseEverywhere() {
  for (Entry& entry : m_Entries)
    for (int kindIndex = 0; kindIndex < 3; ++kindIndex) Raise(entry, kindIndex);
}

void WatchSet::ApplyToAncestor(int watch, std::uint32_t mask) {
  if (!CallsForRecovery(mask)) return;
  m_RecoveryWanted = true;
  if (mask & IN_IGNORED) m_AncestorWatches.erase(watch);
}

void WatchSet::TrackMissing(std::size_t index, std::unordered_set<int>& neededAncestors) {
  // A watch is trusted once a second search lands on it again: the path then still led to the
  // watched folder after the watch was in place. A folder moved away while its watch was being
  // added would be watched under a path it no longer has; and an ancestor watch sees only folders
  // that appear after it exists, so those below it must be found missing again while it watches.
  Landing previous;
  for (int search = 0; search < kMaxSearches; ++search) {
    Landing landing = WatchNearest(m_Entries[index].path);
    bool confirmed = landing.watch == previous.watch && landing.levelsUp == previous.levelsUp;
    if (!confirmed) DropUnconfirmed(previous);
    if (landing.watch < 0) return;
    if (landing.levelsUp > 0) m_AncestorWatches.insert(landing.watch);
    if (confirmed) return Accept(index, landing, neededAncestors);
    previous = landing;
  }
  // The folders on the way keep changing: the last watch serves until the next wake-up looks again.
  Accept(index, previous, neededAncestors);
  m_RecoveryWanted = true;
}

void WatchSet::Accept(std::size_t index, const Landing& landing, std::unordered_set<int>& neededAncestors) {
  if (landing.levelsUp > 0) {
    neededAncestors.insert(landing.watch);
    return;
  }
  MakeLive(index, landing.watch);
  // Tickets may have been dropped into it before this watch existed: the client scans it.
  Raise(m_Entries[index], 1);
}

void WatchSet::DropUnconfirmed(const Landing& landing) {
  // Ancestor watches no longer needed are swept at the end of the recovery. A folder's own watch
  // goes now, unless the folder is already watched (two spellings, or an ancestor of another).
  if (landing.watch < 0 || landing.levelsUp > 0) return;
  if (m_EntriesByWatch.count(landing.watch) != 0 || m_AncestorWatches.count(landing.watch) != 0) return;
  ::inotify_rm_watch(m_InotifyFd, landing.watch);
}

WatchSet::Landing WatchSet::WatchNearest(const std::string& folder) {
  std::string path = folder;
  for (int levelsUp = 0;; ++levelsUp) {
    std::uint32_t mask = levelsUp == 0 ? WatchMask() | IN_MASK_ADD : AncestorMask();
    int watch = ::inotify_add_watch(m_InotifyFd, path.c_str(), mask);
    if (watch >= 0) return Landing{watch, levelsUp};
    // Only a missing folder is looked for higher up; a path under a file, or one without access,
    // cannot be watched however long it is waited for.
    if (errno != ENOENT) return Landing{};
    path = ParentFolder(path);
    if (path.empty()) return Landing{};
  }
}

void WatchSet::MakeLive(std::size_t index, int watch) {
  // What changed before the watch was there is known only to a listing.
  if (m_Appeared) m_Appeared->MarkGap(m_Entries[index].path);
  m_Entries[index].watch = watch;
  m_Entries[index].live = true;
  m_EntriesByWatch[watch].push_back(index);
}

void WatchSet::DropAncestorsExcept(const std::unordered_set<int>& neededAncestors) {
  for (auto it = m_AncestorWatches.begin(); it != m_AncestorWatches.end();) {
    if (neededAncestors.count(*it) != 0) {
      ++it;
      continue;
    }
    // A listed folder that is also an ancestor keeps its watch for its own changes.
    if (m_EntriesByWatch.count(*it) == 0) ::inotify_rm_watch(m_InotifyFd, *it);
    it = m_AncestorWatches.erase(it);
  }
}

}  // namespace monitor
