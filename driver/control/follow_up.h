#pragma once
// The handling of the follow-up message the event handlers post (WM_STATUSALERT), and a poster that
// posts it to the window thread.

#include <cstdint>
#include <string>

#include "driver/control/driver_links.h"
#include "driver/control/fiscal_control.h"
#include "driver/control/report_display.h"
#include "platform/window_thread.h"

namespace driver {

// The command the follow-up message sends to zero-family registers.
inline constexpr const char* kStatusAlertCommand = "0;*4;*3;+1;";

// WM_STATUSALERT: the register reported trouble during a header transfer. alertText is message "11"
// of the catalogue, shown in the sheet's status line while the sheet is open.
void HandleStatusAlert(IFiscalControl& control, std::int32_t ecr, const CReportDisplay& display,
                       const std::string& alertText);
// Posts each follow-up to the window thread, as posting a window message does. The posted calls refer
// to this object, which must outlive them.
class CQueuedFollowUps final : public IFollowUpPoster {
 public:
  CQueuedFollowUps(IFiscalControl& control, const CReportDisplay& display, platform::IWindowThread& windowThread);

  // Message "11" in the current language; set by the driver once its catalogue is loaded.
  void SetStatusAlertText(std::string text) { m_StatusAlertText = std::move(text); }

  void PostStatusAlert(std::int32_t ecr) override;

 private:
  IFiscalControl& m_Control;
  const CReportDisplay& m_Display;
  platform::IWindowThread& m_WindowThread;
  std::string m_StatusAlertText;
};

}  // namespace driver
