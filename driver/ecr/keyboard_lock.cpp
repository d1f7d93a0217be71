#include <new>

#include "driver/ecr/command_strings.h"
#include "driver/ecr/register_session.h"
#include "driver/tickets/result_codes.h"
#include "platform/debug_log.h"

// Keyboard lock and unlock confirm themselves through the keyboard-locked flag of the register's
// status; a register that does not confirm costs at most three attempts.

namespace driver {
namespace {
constexpr int kLockAttempts = 3;
}  // namespace

std::int32_t CRegisterSession::BloccaTastiera() {
  if (Status().m_KeyLocked) return kCodeSuccess;
  try {
    int attempts = kLockAttempts;
    for (;;) {
      platform::DebugLog("[ZEDO] BloccaTastiera --> Tentative [%d]", attempts);
      Events().ExpectIoDirect();
      SendIODirect(IsZeroFamily() ? kZeroLock : kStarLock);
      if (!WaitFor([&] { return Events().IoDirectDone(); }, Limits().m_Exchange)) {
        --attempts;
      } else {
        platform::DebugLog("[ZEDO] BloccaTastiera --> m_current->m_IoDirectComplete OK!");
        if (IsZeroFamily()) SendIODirect(kZeroLockConfirm);
        if (!WaitFor([&] { return Status().m_KeyLocked != 0; }, Limits().m_Exchange)) {
          --attempts;
          platform::DebugLog("[ZEDO] BloccaTastiera --> m_current->m_KeyLocked ERROR!");
        }
      }
      if (Cancelled()) return kCodeShutdown;
      if (Status().m_KeyLocked) {
        platform::DebugLog("[ZEDO] BloccaTastiera --> RETURN OK!");
        return kCodeSuccess;
      }
      if (attempts <= 0) break;
    }
  } catch (const std::bad_alloc&) {
    // Out of memory the keyboard state is unknown: report the lock as failed, never as done.
    platform::DebugLog("BloccaTastiera CMemoryException");
    return kCodeKeyboard;
  }
  platform::DebugLog("[ZEDO] BloccaTastiera --> RETURN ERROR!");
  return kCodeKeyboard;
}

std::int32_t CRegisterSession::SbloccaTastiera() {
  if (!Status().m_KeyLocked) return kCodeSuccess;
  // A register in trouble is not going to confirm: one attempt is enough.
  int attempts = (Status().m_GenericError || Status().m_PaperOut || NotOperating()) ? 1 : kLockAttempts;
  for (;;) {
    platform::DebugLog("[ZEDO] SbloccaTastiera --> Tentative [%d]", attempts);
    Events().ExpectIoDirect();
    SendIODirect(IsZeroFamily() ? kZeroUnlock : kStarUnlock);
    if (!WaitFor([&] { return Events().IoDirectDone(); }, Limits().m_Exchange)) {
      --attempts;
    } else {
      platform::DebugLog("[ZEDO] SbloccaTastiera --> m_current->m_IoDirectComplete OK!");
      if (!WaitFor([&] { return Status().m_KeyLocked != 1; }, Limits().m_Exchange)) {
        --attempts;
        platform::DebugLog("[ZEDO] SbloccaTastiera --> m_current->m_KeyLocked ERROR!");
      }
    }
    if (Cancelled()) return kCodeShutdown;
    if (Status().m_KeyLocked != 1 || attempts <= 0) break;
  }
  if (Status().m_KeyLocked == 1) {
    platform::DebugLog("[ZEDO] SbloccaTastiera --> RETURN ERROR!");
    return kCodeKeyboard;
  }
  platform::DebugLog("[ZEDO] SbloccaTastiera --> RETURN OK!");
  return kCodeSuccess;
}

}  // namespace driver
