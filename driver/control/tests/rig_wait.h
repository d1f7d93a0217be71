#pragma once
// Bounded waits on a register's flags for the control tests.

#include <chrono>

#include "driver/control/ecr_context.h"

namespace driver::testing {

inline constexpr std::chrono::seconds kEventLimit{10};

template <class Predicate>
bool WaitFor(CEcrContext& ecr, Predicate done) {
  return ecr.WaitUntil(done, std::chrono::steady_clock::now() + kEventLimit);
}

// Sends one IODirect and waits for its DirectIOEvent; the call's status.
template <class Control>
std::int32_t SendAndAwait(Control& control, CEcrContext& ecr, const std::string& command, bool* completed = nullptr) {
  ecr.m_IoDirectComplete = 0;
  const std::int32_t status = control.IODirect(ecr.m_EcrId, command, 0);
  const bool done = WaitFor(ecr, [&] { return ecr.m_IoDirectComplete.load() != 0; });
  if (completed != nullptr) *completed = done;
  return status;
}

// Writes one element and waits for its OutputCompleteEvent; the job's result, or -1 without completion.
template <class Control>
std::int32_t WriteAndAwait(Control& control, CEcrContext& ecr, const std::string& element) {
  ecr.m_WorkComplete = 0;
  std::int32_t job = 0;
  if (control.Write(ecr.m_EcrId, 2, element, job) != 0) return -2;
  if (!WaitFor(ecr, [&] { return ecr.m_WorkComplete.load() != 0; })) return -1;
  return ecr.m_JobResult.load();
}

}  // namespace driver::testing
