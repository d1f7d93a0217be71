#pragma once
// The narrow views of the driver that the control's event handlers need. The driver's main window
// implements them; tests and the control rig give their own.

#include <cstdint>
#include <string>

#include "driver/control/ecr_context.h"

namespace driver {

class IRegisterDirectory {
 public:
  virtual ~IRegisterDirectory() = default;
  // The first register of the list with this number, or nullptr when it is not on the list.
  virtual CEcrContext* FindEcr(std::int32_t ecr) = 0;
  // Root of the per-register ticket folders ("<root>/<n>" is the folder of register n).
  virtual std::string TicketRoot() const = 0;
};

// The follow-up message of the event handlers. Posted, never sent: the driver queues it to its window
// thread and handles it with HandleStatusAlert. (The commands that end a header exchange or an upload
// are sent by the job that awaits them, so that their completion is never taken for another command's.)
class IFollowUpPoster {
 public:
  virtual ~IFollowUpPoster() = default;
  virtual void PostStatusAlert(std::int32_t ecr) = 0;  // WM_STATUSALERT
  // A status the register sent has been read into its context (on the window thread).
  virtual void StatusReceived(std::int32_t /*ecr*/) {}
};

}  // namespace driver
