#pragma once
// The handling of the follow-up message the event handlers post (WM_STATUSALERT), and a poster that
// queues it to the thread of a QObject.

#include <QObject>
#include <cstdint>
#include <string>

#include "driver/control/driver_links.h"
#include "driver/control/fiscal_control.h"
#include "driver/control/report_display.h"

namespace driver {

// The command the follow-up message sends to zero-family registers.
inline constexpr const char* kStatusAlertCommand = "0;*4;*3;+1;";

// WM_STATUSALERT: the register reported trouble during a header transfer. alertText is message "11"
// of the catalogue, shown in the sheet's status line while the sheet is open.
void HandleStatusAlert(IFiscalControl& control, std::int32_t ecr, const CReportDisplay& display,
                       const std::string& alertText);
// Queues each follow-up to the thread this object lives on, as posting a window message does.
class CQueuedFollowUps final : public QObject, public IFollowUpPoster {
  Q_OBJECT
 public:
  CQueuedFollowUps(IFiscalControl& control, const CReportDisplay& display, QObject* parent = nullptr);

  // Message "11" in the current language; set by the driver once its catalogue is loaded.
  void SetStatusAlertText(std::string text) { m_StatusAlertText = std::move(text); }

  void PostStatusAlert(std::int32_t ecr) override;

 private:
  IFiscalControl& m_Control;
  const CReportDisplay& m_Display;
  std::string m_StatusAlertText;
};

}  // namespace driver
