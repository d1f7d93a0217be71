#pragma once
// Bounded waits on a register's flags for the control tests.

#include <chrono>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/control/ecr_context.h"
#include "driver/control/testing/control_rig.h"

namespace driver::testing {

inline constexpr std::chrono::seconds kEventLimit{10};

template <class Predicate>
bool WaitFor(CEcrContext& ecr, Predicate done) {
  return ecr.Events().WaitUntil(done, std::chrono::steady_clock::now() + kEventLimit);
}

// Sends one IODirect and waits for its DirectIOEvent; the call's status.
template <class Control>
std::int32_t SendAndAwait(Control& control, CEcrContext& ecr, const std::string& command, bool* completed = nullptr) {
  ecr.Events().ExpectIoDirect();
  const std::int32_t status = control.IODirect(ecr.m_EcrId, command, 0);
  const bool done = WaitFor(ecr, [&] { return ecr.Events().IoDirectDone(); });
  if (completed != nullptr) *completed = done;
  return status;
}

// Writes one element and waits for its OutputCompleteEvent; the job's result, or -1 without completion.
template <class Control>
std::int32_t WriteAndAwait(Control& control, CEcrContext& ecr, const std::string& element) {
  ecr.Events().ExpectWrite();
  std::int32_t job = 0;
  if (control.Write(ecr.m_EcrId, 2, element, job) != 0) return -2;
  if (!WaitFor(ecr, [&] { return ecr.Events().WriteDone(); })) return -1;
  return ecr.Events().WriteResult();
}

inline int CountPrefix(const std::vector<std::string>& log, const std::string& prefix) {
  return static_cast<int>(
      std::count_if(log.begin(), log.end(), [&](const std::string& entry) { return entry.rfind(prefix, 0) == 0; }));
}

// Returns once every command sent to the register, the status alert the window thread sends included,
// has completed and its completion has been handled. Completions of unawaited commands may
// wake a wait meant for a later one, so it goes round until the counts agree.
inline void Settle(CControlRig& rig, CEcrContext& ecr) {
  const std::string number = std::to_string(ecr.m_EcrId);
  for (int round = 0; round < 50; ++round) {
    rig.RunOnWindowThread([] {});
    const std::vector<std::string> log = rig.Emulator().CallLog();
    if (CountPrefix(log, "IODirect " + number + " ") == CountPrefix(log, "event DirectIOEvent " + number + " ")) break;
    SendAndAwait(rig.Control(), ecr, ecr.IsZeroFamily() ? "0;" : "*SZ");
  }
  rig.RunOnWindowThread([] {});
}

}  // namespace driver::testing
