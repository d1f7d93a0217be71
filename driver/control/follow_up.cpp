#include "driver/control/follow_up.h"

#include <QMetaObject>

namespace driver {

void HandleExchangeDone(IFiscalControl& control, IRegisterDirectory& registers, std::int32_t ecr) {
  CEcrContext* ctx = registers.FindEcr(ecr);
  if (ctx == nullptr) return;
  ctx->m_ExchangeStatus = control.IODirect(ecr, kExchangeDoneCommand, 0);
  ctx->SignalChange();
}

void HandleStatusAlert(IFiscalControl& control, std::int32_t ecr, const CReportDisplay& display,
                       const std::string& alertText) {
  control.IODirect(ecr, kStatusAlertCommand, 0);
  display.ShowStatus(alertText);
}

void HandleQueueEmpty(IFiscalControl& control, std::int32_t ecr) { control.IODirect(ecr, kQueueEmptyCommand, 0); }

CQueuedFollowUps::CQueuedFollowUps(IFiscalControl& control, IRegisterDirectory& registers,
                                   const CReportDisplay& display, QObject* parent)
    : QObject(parent), m_Control(control), m_Registers(registers), m_Display(display) {}

void CQueuedFollowUps::PostExchangeDone(std::int32_t ecr) {
  QMetaObject::invokeMethod(
      this, [this, ecr] { HandleExchangeDone(m_Control, m_Registers, ecr); }, Qt::QueuedConnection);
}

void CQueuedFollowUps::PostStatusAlert(std::int32_t ecr) {
  QMetaObject::invokeMethod(
      this, [this, ecr] { HandleStatusAlert(m_Control, ecr, m_Display, m_StatusAlertText); }, Qt::QueuedConnection);
}

void CQueuedFollowUps::PostQueueEmpty(std::int32_t ecr) {
  QMetaObject::invokeMethod(this, [this, ecr] { HandleQueueEmpty(m_Control, ecr); }, Qt::QueuedConnection);
}

}  // namespace driver
