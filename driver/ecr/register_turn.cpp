#include "driver/ecr/register_turn.h"

#include <array>

namespace driver {

RegisterTurn WaitForRegisterTurn(CEcrContext& ecr, std::optional<std::chrono::milliseconds> limit,
                                 platform::MutexPlace& place) {
  std::array<platform::NamedMutex*, 2> mutexes{ecr.JobMutex().get(), ecr.StopMutex().get()};
  const std::uint32_t waited = platform::WaitForAnyMutex(mutexes, limit, &place);
  switch (waited) {
    case platform::kWaitObject0: return RegisterTurn::kRegister;
    case platform::kWaitAbandoned0: return RegisterTurn::kRegisterLeft;
    case platform::kWaitObject0 + 1:
    case platform::kWaitAbandoned0 + 1:
      ecr.StopMutex()->Release();
      return RegisterTurn::kStop;
    default: return RegisterTurn::kBusy;
  }
}

}  // namespace driver
