#pragma once
// Names in a ticket folder that the intake leaves alone until what stands there changes: a symbolic
// link or special file named like a ticket (no ticket; logged once), a ticket that could not be removed
// after it was answered, a rejected ticket that could not be renamed to ".err". Each is remembered with
// its identity, so the same file is not taken (or logged) again at every change of its folder, and a
// new version of it is.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/folder_files.h"

namespace driver {

class CLeftAloneTickets {
 public:
  // Remembers what stands at the path now; false (nothing remembered) when nothing does.
  bool Remember(const std::string& path);
  void Remember(const std::string& path, const platform::FileIdentity& identity) { m_Files[path] = identity; }
  // True while the path is remembered and what stands there is unchanged; a changed or vanished file
  // is forgotten.
  bool IsLeftAlone(const std::string& path);
  // The names remembered in the folder.
  std::vector<std::string> NamesIn(const std::string& folder) const;
  // Forgets the names of the folder that are no longer in its listing.
  void KeepOnly(const std::string& folder, const std::set<std::string>& listedNames);

 private:
  std::map<std::string, platform::FileIdentity> m_Files;  // by path
};

}  // namespace driver
