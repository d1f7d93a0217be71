#pragma once
// CEcrList: the driver's registers in the order the control reported them, and the ticket root their
// folders sit in. It is the register directory the control's event handlers look registers up in.
// Built and changed on the window thread; job threads hold their own register and never the list.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "driver/control/driver_links.h"
#include "driver/control/ecr_context.h"

namespace driver {

// Names of the two mutexes of each register ("%d" is the register number).
inline constexpr const char* kJobMutexName = "FF9DDFC0-6374-43AC-930F-6C452D21F44EAS%d";
inline constexpr const char* kStopMutexName = "6C452D21-6374-43AC-930F-FF9DDFC0F44EAS%d";

// Whether a register gets the two named mutexes its jobs line up on; without them it serves the
// control's events only.
enum class RegisterMutexes { None, Named };

// What becomes of the records when the list is emptied: freed with their last user, or kept until
// the process ends for job threads that may still touch them.
enum class FreedRecords { Released, KeptForProcessEnd };

class CEcrList final : public IRegisterDirectory {
 public:
  // Appends a register. Its job mutex is shared with other driver processes on this machine; its stop
  // mutex stays in this process, owned by the calling thread until ReleaseStopMutexes.
  CEcrContext& Add(std::int32_t ecrId, std::int32_t ecrType, RegisterMutexes mutexes);

  // The shutdown's steps over every register, in the order it takes them.
  void StopAll();
  void ReleaseStopMutexes();  // threads waiting for a register take its stop mutex and leave
  void CancelAll();
  void Free(FreedRecords records);

  const std::vector<std::shared_ptr<CEcrContext>>& All() const { return m_Registers; }
  void SetTicketRoot(std::string root) { m_TicketRoot = std::move(root); }

  // IRegisterDirectory
  CEcrContext* FindEcr(std::int32_t ecr) override;
  std::string TicketRoot() const override { return m_TicketRoot; }

 private:
  std::vector<std::shared_ptr<CEcrContext>> m_Registers;
  // Registers whose job threads did not end at shutdown.
  std::vector<std::shared_ptr<CEcrContext>> m_Retired;
  std::string m_TicketRoot;
};

}  // namespace driver
