#pragma once

#include <string>
#include <vector>

namespace monitor {

// The files that appeared in a folder since its names were last taken (created, moved in, or written
// and closed), in the order the system reported them, each once. Not complete when changes of the
// folder may have gone unseen (its watch was made anew, the system's queue overflowed, a folder never
// taken): the client then lists the folder.
struct FolderNames {
  std::vector<std::string> names;
  bool complete = false;
};

}  // namespace monitor
