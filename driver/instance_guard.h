#pragma once
// One driver per base directory and per ticket root. A second driver on either would take the same
// tickets and drive the same registers: receipts printed twice, replies lost. So a driver holds a lock
// on its base directory (taken before anything in it is touched) and one on its ticket root for as long
// as it runs, and a driver that finds either held by another refuses to start. The locks belong to the
// process, so the system drops them when it ends, however it ends: no crash leaves one behind. The
// base directory is locked on the folder itself; the ticket root in the lock folder, because a folder
// kept open would hide its deletion from the folder monitor (tills may delete and make it again).

#include <string>

#include "platform/folder_lock.h"

namespace driver {

class CInstanceGuard {
 public:
  // False when another driver holds the base directory (an empty one is the current folder).
  bool TakeBaseDirectory(const std::string& baseDirectory);
  // Moves the ticket root's lock to this root; false, keeping the lock it had, when another driver
  // holds it. A root that is not there is left unguarded (and logged): nobody can serve it.
  bool TakeTicketRoot(const std::string& ticketRoot);

 private:
  platform::FolderLock m_BaseDirectory;
  platform::FolderLock m_TicketRoot;
};

}  // namespace driver
