#include "driver/instance_guard.h"

#include "platform/debug_log.h"

namespace driver {

bool CInstanceGuard::TakeBaseDirectory(const std::string& baseDirectory) {
  platform::FolderLockResult result = m_BaseDirectory.Lock(baseDirectory);
  if (result == platform::FolderLockResult::HeldElsewhere) {
    platform::DebugLog("[ZEDO] Another QorDriver runs on the base directory [%s]: not starting", baseDirectory.c_str());
    return false;
  }
  if (result == platform::FolderLockResult::Failed)
    platform::DebugLog("[ZEDO] Base directory [%s] cannot be locked: a second driver is not kept off",
                       baseDirectory.c_str());
  return true;
}

bool CInstanceGuard::TakeTicketRoot(const std::string& ticketRoot) {
  if (m_TicketRoot.Covers(ticketRoot)) return true;
  platform::FolderLockResult result = m_TicketRoot.Lock(ticketRoot, platform::FolderLockPlace::kInTheLockFolder);
  if (result == platform::FolderLockResult::HeldElsewhere) {
    platform::DebugLog("[ZEDO] Another QorDriver serves the ticket folders in [%s]", ticketRoot.c_str());
    return false;
  }
  if (result == platform::FolderLockResult::Failed) {
    platform::DebugLog("[ZEDO] Ticket folder [%s] cannot be locked: a second driver is not kept off",
                       ticketRoot.c_str());
    m_TicketRoot = platform::FolderLock();
  }
  return true;
}

}  // namespace driver
