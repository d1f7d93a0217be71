#include "driver/control/follow_up.h"

#include <QMetaObject>

namespace driver {

void HandleStatusAlert(IFiscalControl& control, std::int32_t ecr, const CReportDisplay& display,
                       const std::string& alertText) {
  control.IODirect(ecr, kStatusAlertCommand, 0);
  display.ShowStatus(alertText);
}

CQueuedFollowUps::CQueuedFollowUps(IFiscalControl& control, const CReportDisplay& display, QObject* parent)
    : QObject(parent), m_Control(control), m_Display(display) {}

void CQueuedFollowUps::PostStatusAlert(std::int32_t ecr) {
  QMetaObject::invokeMethod(
      this, [this, ecr] { HandleStatusAlert(m_Control, ecr, m_Display, m_StatusAlertText); }, Qt::QueuedConnection);
}

}  // namespace driver
