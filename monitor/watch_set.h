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
//
// A listed folder that is missing (at the build, or deleted or moved away later) keeps its entry,
// unwatched, and the set watches its nearest existing ancestor instead, so the folder's return is
// seen: a sub-folder appearing in that ancestor, or the ancestor going away, asks for a recovery,
// which watches every missing folder that exists again and raises its file-name flag, since tickets
// may have been dropped into it before the new watch existed. Recovery touches only the missing
// entries: the other folders keep their watches, their queued events and their pending flags.
// Ancestor watches are shared; the kernel gives one inode one watch, so an ancestor watch may also
// be a listed folder's watch and is then never removed for the ancestor's sake.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace monitor {

class AppearedNames;

struct FolderChange {
  std::string path;
  short type = 0;
};

class WatchSet {
 public:
  // inotifyFd stays owned by the caller and must be non-blocking. appeared, when given, is told the
  // names of the files that appear in each folder, and where changes may have gone unseen.
  explicit WatchSet(int inotifyFd, AppearedNames* appeared = nullptr) : m_InotifyFd(inotifyFd), m_Appeared(appeared) {}
  ~WatchSet() { Clear(); }
  WatchSet(const WatchSet&) = delete;
  WatchSet& operator=(const WatchSet&) = delete;

  // Drops the previous watches, then watches each folder in list order. A missing folder is
  // recovered once it appears (see above); any other folder that cannot be watched (not a folder, no
  // access, under a file) is left out silently. On a rebuild, the changes the previous set still had
  // to report are kept, and a folder new to the list gets its file-name flag raised once watched, so
  // the client scans what was dropped into it before. Returns the number watched.
  int Build(const std::vector<std::string>& folders);
  // Removes every watch and discards the events still queued for them, so a later set never
  // reports a change that happened before it was built.
  void Clear();

  // Reads every queued event and sets the flags they raise; false when reading fails.
  bool ReadAvailable();
  // Applies one event as the kernel reported it (name: the file's, empty for the folder itself).
  void Apply(int watch, std::uint32_t mask, std::string_view name);
  // Raises the file-name flag of every watched folder.
  void RaiseFileNameEverywhere();

  // True when an event since the last recovery may have brought back a missing folder.
  bool RecoveryWanted() const { return m_RecoveryWanted; }
  // Watches every missing folder that exists again (raising its file-name flag) and watches the
  // nearest existing ancestor of each one still missing; drops ancestor watches no longer needed.
  void Recover();

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

  // Where the search for a missing folder landed: a watch on the folder itself (levelsUp 0) or on
  // an ancestor levelsUp levels above it; watch -1 when nothing on the way can be watched.
  struct Landing {
    int watch = -1;
    int levelsUp = 0;
  };

  void Raise(Entry& entry, int kindIndex);
  void EndWatch(int watch, bool removeFromKernel);
  void RaiseEverywhere();
  void ApplyToAncestor(int watch, std::uint32_t mask);
  void TrackMissing(std::size_t index, std::unordered_set<int>& neededAncestors);
  void Accept(std::size_t index, const Landing& landing, std::unordered_set<int>& neededAncestors);
  void DropUnconfirmed(const Landing& landing);
  Landing WatchNearest(const std::string& folder);
  void MakeLive(std::size_t index, int watch);
  void DropAncestorsExcept(const std::unordered_set<int>& neededAncestors);

  int m_InotifyFd;
  AppearedNames* m_Appeared;
  std::vector<Entry> m_Entries;
  std::unordered_map<int, std::vector<std::size_t>> m_EntriesByWatch;  // live entries only
  std::unordered_set<int> m_AncestorWatches;
  int m_PendingCount = 0;
  bool m_RecoveryWanted = false;
  bool m_Built = false;  // a first build has been made
};

}  // namespace monitor
