#pragma once
// The handling of the three follow-up messages the event handlers post (WM_EXCHANGEDONE,
// WM_STATUSALERT, WM_QUEUEEMPTY), and a poster that queues them to the thread of a QObject.

#include <QObject>
#include <cstdint>
#include <string>

#include "driver/control/driver_links.h"
#include "driver/control/fiscal_control.h"
#include "driver/control/report_display.h"

namespace driver {

// Commands the follow-up messages send to zero-family registers.
inline constexpr const char* kExchangeDoneCommand = "0;*2;#a;*3;+1;";
inline constexpr const char* kStatusAlertCommand = "0;*4;*3;+1;";
inline constexpr const char* kQueueEmptyCommand = "0;*3;+1;";

// WM_EXCHANGEDONE: the header answers are all taken; the register accepts the header.
void HandleExchangeDone(IFiscalControl& control, IRegisterDirectory& registers, std::int32_t ecr);
// WM_STATUSALERT: the register reported trouble during a header transfer. alertText is message "11"
// of the catalogue, shown in the sheet's status line while the sheet is open.
void HandleStatusAlert(IFiscalControl& control, std::int32_t ecr, const CReportDisplay& display,
                       const std::string& alertText);
// WM_QUEUEEMPTY: an upload has fetched every queued line; the register goes back to sales.
void HandleQueueEmpty(IFiscalControl& control, std::int32_t ecr);

// Queues each follow-up to the thread this object lives on, as posting a window message does.
class CQueuedFollowUps final : public QObject, public IFollowUpPoster {
  Q_OBJECT
 public:
  CQueuedFollowUps(IFiscalControl& control, IRegisterDirectory& registers, const CReportDisplay& display,
                   QObject* parent = nullptr);

  // Message "11" in the current language; set by the driver once its catalogue is loaded.
  void SetStatusAlertText(std::string text) { m_StatusAlertText = std::move(text); }

  void PostExchangeDone(std::int32_t ecr) override;
  void PostStatusAlert(std::int32_t ecr) override;
  void PostQueueEmpty(std::int32_t ecr) override;

 private:
  IFiscalControl& m_Control;
  IRegisterDirectory& m_Registers;
  const CReportDisplay& m_Display;
  std::string m_StatusAlertText;
};

}  // namespace driver
