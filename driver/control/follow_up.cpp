#include "driver/control/follow_up.h"

namespace driver {

void HandleStatusAlert(IFiscalControl& control, std::int32_t ecr, const CReportDisplay& display,
                       const std::string& alertText) {
  control.IODirect(ecr, kStatusAlertCommand, 0);
  display.ShowStatus(alertText);
}

CQueuedFollowUps::CQueuedFollowUps(IFiscalControl& control, const CReportDisplay& display,
                                   platform::IWindowThread& windowThread)
    : m_Control(control), m_Display(display), m_WindowThread(windowThread) {}

void CQueuedFollowUps::PostStatusAlert(std::int32_t ecr) {
  m_WindowThread.Post([this, ecr] { HandleStatusAlert(m_Control, ecr, m_Display, m_StatusAlertText); });
}

}  // namespace driver
