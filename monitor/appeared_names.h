#pragma once
// The names of the files that appeared in each watched folder since its client last took them, in the
// order the kernel reported them, each once: what lets a client take a folder's new files in their
// order of arrival without listing the folder, at a cost that does not grow with the files already
// there. The worker adds, the client's thread takes; a lock keeps them apart.
//
// A file appears when it is created, moved in, or written and closed (a file written where it stands
// is complete only then). Where changes may have gone unseen (the folder's watch was made anew, the
// kernel's queue overflowed, more names than are kept), the next take says the names are not complete,
// and the client lists the folder.

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "monitor/folder_names.h"

namespace monitor {

class AppearedNames {
 public:
  // More names of one folder than this, not taken, are dropped for a listing.
  static constexpr std::size_t kMaxNames = 100000;

  void Add(const std::string& folder, std::string_view name);
  void MarkGap(const std::string& folder);
  void MarkGapEverywhere();
  // The names since the last take, and whether they are all that appeared; a folder never taken is
  // not complete.
  FolderNames Take(const std::string& folder);

 private:
  struct Log {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    bool gap = true;
  };
  std::mutex m_Lock;
  std::unordered_map<std::string, Log> m_Logs;
};

}  // namespace monitor
