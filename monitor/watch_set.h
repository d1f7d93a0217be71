#pragma once
// The worker's wait set: the listed folders that could be watched, in list order, each with the
// three change flags of its kinds (last write, file name, folder name). A flag stays set until its
// notification has been taken, however many changes arrive meanwhile, so a busy folder costs one
// notification per kind and nothing is lost. The lowest flag is taken first: folders in list order,
// and within a folder last write before file name before folder name.
//
// All folders share one inotify instance. Two spellings of one folder ("a/b" and "a/b/") get the same
// watch from the kernel; the set keeps one watch with several entries, and each entry reports under
// its own spelling.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace monitor {

struct FolderChange {
  std::string path;
  short type = 0;
};

class WatchSet {
 public:
  // inotifyFd stays owned by the caller and must be non-blocking.
  explicit WatchSet(int inotifyFd) : m_InotifyFd(inotifyFd) {}
  ~WatchSet() { Clear(); }
  WatchSet(const WatchSet&) = delete;
  WatchSet& operator=(const WatchSet&) = delete;

  // Drops the previous watches, then watches each folder in list order. A folder that cannot be
  // watched (missing, not a folder, no access) is left out silently. Returns the number watched.
  int Build(const std::vector<std::string>& folders);
  // Removes every watch and discards the events still queued for them, so a later set never
  // reports a change that happened before it was built.
  void Clear();

  // Reads every queued event and sets the flags they raise; false when reading fails.
  bool ReadAvailable();
  // Applies one event as the kernel reported it.
  void Apply(int watch, std::uint32_t mask, std::uint32_t nameLength);

  bool HasPending() const { return m_PendingCount > 0; }
  // The lowest set flag, cleared; nothing when no flag is set.
  std::optional<FolderChange> TakeLowest();

  int WatchedCount() const;

 private:
  struct Entry {
    std::string path;
    int watch = -1;
    bool live = true;
    std::array<bool, 3> pending{};
  };

  void Raise(Entry& entry, int kindIndex);
  void EndWatch(int watch, bool removeFromKernel);
  void RaiseEverywhere();

  int m_InotifyFd;
  std::vector<Entry> m_Entries;
  std::unordered_map<int, std::vector<std::size_t>> m_EntriesByWatch;
  int m_PendingCount = 0;
};

}  // namespace monitor
