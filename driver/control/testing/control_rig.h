#pragma once
// CControlRig: the control as the driver holds it, for tests of the parts that talk to registers.
// It builds the register emulator in a base directory, wraps it in CQor with the event handlers and
// the follow-up messages on a window thread of its own (a plain thread running posted calls),
// opens it, builds one CEcrContext per register from the register list, lays out
// "<base>/Tickets/<n>" and waits for each register's first status. Tests then call Control() from
// their own thread, as job threads do, and wait on the CEcrContext flags.
//
//   testsupport::TempFolder base;
//   driver::CControlRig rig(base.Path());
//   rig.Control().IODirect(2, "0;*2;", 0);
//   rig.Ecr(2).Events().WaitUntil([&] { return rig.Ecr(2).Events().Status().m_KeyLocked == 1; }, deadline);

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "driver/control/control_events.h"
#include "driver/control/driver_links.h"
#include "driver/control/ecr_context.h"
#include "driver/control/ecr_list.h"
#include "driver/control/fiscal_control.h"
#include "driver/control/report_display.h"
#include "emulator/emulator_control.h"
#include "testsupport/plain_window_thread.h"

namespace driver {

class CQor;
class CQueuedFollowUps;

// The driver's settings flags, as QorDriver.ini would give them.
struct CRigSettings {
  bool m_OnErrorContinue = true;
  bool m_OnErrorVoidTicket = false;
  bool m_DisplayLastTotal = false;
  bool m_DescriptionCheck = false;
};

class CControlRig final {
 public:
  // Write "QorEmulator.ini" into baseDirectory before constructing to choose registers or faults.
  explicit CControlRig(const std::string& baseDirectory);
  ~CControlRig();
  CControlRig(const CControlRig&) = delete;
  CControlRig& operator=(const CControlRig&) = delete;

  IFiscalControl& Control();                // the CQor wrapper, as the driver calls it
  emulator::CEmulatorControl& Emulator();   // faults, call log, journal
  CEcrContext& Ecr(int number);             // throws std::out_of_range when not on the list
  const std::vector<std::shared_ptr<CEcrContext>>& Registers() const { return m_Registers.All(); }
  CRigSettings& Settings() { return m_Settings; }
  CReportDisplay& Display() { return m_Display; }

  // Opens a stand-in administration sheet that keeps its status line texts and, as "report of ECR <n>
  // saved in <path>", its notices of saved reports; closing it empties the hooks.
  void OpenSheet();
  void CloseSheet();
  std::vector<std::string> SheetStatusLines() const;

  // Runs the function on the window thread and returns when it has run.
  void RunOnWindowThread(const std::function<void()>& function);

  std::string TicketRoot() const { return m_Registers.TicketRoot(); }
  const std::string& BaseDirectory() const { return m_BaseDirectory; }
  // Open's status and the number of registers found; nonzero status means no registers.
  ControlStatus OpenStatus() const { return m_OpenStatus; }

 private:
  void StartUp();
  void WaitForFirstStatus();

  std::string m_BaseDirectory;
  CRigSettings m_Settings;
  CReportDisplay m_Display;
  std::unique_ptr<emulator::CEmulatorControl> m_Emulator;
  testsupport::CPlainWindowThread m_WindowThread;
  std::unique_ptr<CQor> m_Qor;
  std::unique_ptr<CQueuedFollowUps> m_FollowUps;
  std::unique_ptr<CControlEvents> m_Events;
  CEcrList m_Registers;  // the registers without their mutexes, which the tests give as they need
  ControlStatus m_OpenStatus = 0;
  mutable std::mutex m_SheetLock;
  std::vector<std::string> m_SheetLines;
};

}  // namespace driver
