#pragma once
// What a native command needs from the control while it runs on the emulator's worker thread.

#include <cstdint>
#include <optional>
#include <string>

#include "emulator/result_codes.h"

namespace emulator {

class ICommandHost {
 public:
  virtual ~ICommandHost() = default;
  // Asks the driver a data question (DataEvent) and returns its reply; nothing when it gave none.
  virtual std::optional<std::string> Ask(const std::string& question) = 0;
  // The register's state may have changed: announce it with a StatusUpdateEvent if it did.
  virtual void Checkpoint() = 0;
  // One line printed on the register's journal.
  virtual void Print(const std::string& line) = 0;
};

// The outcome of one native command: refused commands leave the rest of their text unexecuted and
// complete with the register's code for the refusal.
struct CCommandOutcome {
  bool m_Refused = false;
  std::string m_Reason;
  std::int32_t m_Result = kResultOk;
};

inline CCommandOutcome Refuse(std::string reason, std::int32_t result = kResultCommandRefused) {
  return {true, std::move(reason), result};
}

}  // namespace emulator
