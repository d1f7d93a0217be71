#pragma once
// A job's turn at its register: the job mutex, or the stop mutex that the driver releases at its
// shutdown, whichever comes first (the job mutex when both can be taken), in the order jobs were
// started (the place reserved at the start).

#include <chrono>
#include <optional>

#include "driver/control/ecr_context.h"
#include "platform/named_mutex.h"

namespace driver {

enum class RegisterTurn {
  kRegister,      // the job mutex is held
  kRegisterLeft,  // the same, left behind by a job thread that ended while it held it
  kStop,          // the driver stops: the stop mutex was taken and has been released again
  kBusy,          // neither came within the limit
};

// No limit waits for good. The register's mutexes must exist.
RegisterTurn WaitForRegisterTurn(CEcrContext& ecr, std::optional<std::chrono::milliseconds> limit,
                                 platform::MutexPlace& place);

}  // namespace driver
