#include "driver/ecr/register_session.h"

#include "driver/ecr/command_strings.h"
#include "driver/tickets/reply_files.h"
#include "platform/fault_point.h"

namespace driver {

CRegisterSession::CRegisterSession(IJobHost& host, CEcrContext& ecr, const CDocumentJob* ticket)
    : m_Host(host), m_Ecr(ecr), m_Ticket(ticket) {}

ControlStatus CRegisterSession::SendIODirect(const std::string& command) {
  if (Cancelled()) return kCodeShutdown;
  const ControlStatus status = m_Host.Control().IODirect(m_Ecr.m_EcrId, command, 0);
  platform::FaultPoint("sent");
  return status;
}

ControlStatus CRegisterSession::SendWrite(const std::string& element, std::int32_t& job) {
  if (Cancelled()) return kCodeShutdown;
  const ControlStatus status = m_Host.Control().Write(m_Ecr.m_EcrId, 2, element, job);
  platform::FaultPoint("sent");
  return status;
}

ControlStatus CRegisterSession::SendRequest(std::int32_t code, std::string& text) {
  if (Cancelled()) return kCodeShutdown;
  const ControlStatus status = m_Host.Control().Request(m_Ecr.m_EcrId, code, text);
  platform::FaultPoint("sent");
  return status;
}

void CRegisterSession::SendClearOutput() {
  if (!Cancelled()) m_Host.Control().ClearOutput(m_Ecr.m_EcrId);
}

std::int32_t CRegisterSession::SendAndAwait(const std::string& command, std::int32_t refusedCode) {
  Events().ExpectIoDirect();
  if (ControlStatus status = SendIODirect(command); status != kCodeSuccess) return status;
  return WaitIoDirectComplete(refusedCode);
}

void CRegisterSession::DriverAwait(const std::string& command) {
  if (!Cancelled()) m_Host.WaitIODirect(m_Ecr, command, 0);
}

std::int32_t CRegisterSession::ReadEcrStatus(std::int32_t& requestStatus) {
  std::string text;
  requestStatus = SendRequest(kRequestStatus, text);
  if (requestStatus != kCodeSuccess) return requestStatus;
  const bool empty = text.empty();
  if (Events().StatusReceived(std::move(text), m_Ecr.m_EcrType) == StatusFollowUp::kStatusAlert)
    m_Host.PostStatusAlert(m_Ecr.m_EcrId);
  if (empty) return kCodeNoStatus;
  return kCodeSuccess;
}

bool CRegisterSession::RefreshStatus() {
  std::int32_t requestStatus = kCodeSuccess;
  return ReadEcrStatus(requestStatus) == kCodeSuccess;
}

CRegisterCounters CRegisterSession::ReadCounters() {
  std::string text;
  if (SendRequest(kRequestCounters, text) != kCodeSuccess) return {};
  return ParseRegisterCounters(text);
}

// Once the register's context is cancelled at shutdown nothing more is written, so a job interrupted
// there leaves no file that would claim an outcome.
void CRegisterSession::WriteWarning(std::int32_t code) {
  if (m_Ticket != nullptr && !Cancelled()) AppendWarningLine(m_Ticket->m_WarningPath, m_Element, code);
}

void CRegisterSession::TicketAnswered(std::int32_t code) {
  if (m_Ticket != nullptr) m_Host.TicketAnswered({m_Ecr.m_EcrId, m_Ticket->m_ReplyPath, code});
}

void CRegisterSession::WriteReplyString(const std::string& text) {
  if (m_Ticket != nullptr && !Cancelled()) AppendReplyText(m_Ticket->m_ReplyWorkPath, text);
}

}  // namespace driver
