#include <iterator>
#include <vector>

#include "driver/ecr/command_strings.h"
#include "driver/tickets/result_codes.h"
#include "driver/ecr/till_elements.h"
#include "platform/debug_log.h"

// Ticket elements of a command document and the element table. A ticket starts with the keyboard
// locked and the register in ticket mode; its elements go to the control's Write unchanged; the
// keyboard is unlocked when the ticket closes or a step fails after the lock.

namespace driver {
namespace {

using Batch = CTillJobElements::Batch;

struct CElementRow {
  const char* m_Tag;
  std::int32_t (CTillJobElements::*m_Steps)(const std::string&);
  Batch m_Keeps = Batch::None;  // the programming batch that stays open; every other one is ended first
};

// The first row whose tag occurs anywhere in the line wins.
const CElementRow kElementTable[] = {
    {"<FISCAL_CLOSURE>", &CTillJobElements::FiscalClosure},
    {"<REPORT_REQUEST>", &CTillJobElements::ReportRequest},
    {"<ZEROSET_REQUEST>", &CTillJobElements::ZeroSetRequest},
    {"<HISTORY_REQUEST>", &CTillJobElements::HistoryRequest},
    {"<HISTORY_ROLLBACK>", &CTillJobElements::HistoryRollback},
    {"<TABLE_SUMMARY>", &CTillJobElements::TableSummary},
    {"<SET_HEADER>", &CTillJobElements::SetHeader},
    {"<SET_DEPARTMENT>", &CTillJobElements::SetDepartment, Batch::Department},
    {"<SET_PLU>", &CTillJobElements::SetPlu, Batch::Plu},
    {"<SET_OFF>", &CTillJobElements::SetOffer, Batch::Offer},
    {"<READ_STATUS>", &CTillJobElements::ReadStatus},
    {"<OPEN_TICKET>", &CTillJobElements::OpenTicket},
    {"<OPEN_TABLE>", &CTillJobElements::OpenTicket},
    {"<SELLITEM>", &CTillJobElements::TicketItem},
    {"<PASTVOID>", &CTillJobElements::TicketItem},
    {"<REFUND>", &CTillJobElements::TicketItem},
    {"<DISCOUNT>", &CTillJobElements::TicketItem},
    {"<PRINTLINE>", &CTillJobElements::TicketItem},
    {"<CHANGE_TABLE>", &CTillJobElements::TicketItem},
    {"<TICKETVOID>", &CTillJobElements::TicketItem},
    {"<OPEN_DRAWER>", &CTillJobElements::TicketItem},
    {"<TICKETCOPY>", &CTillJobElements::TicketItem},
    {"<CLOSE_TABLE>", &CTillJobElements::CloseTable},
    {"<CLOSE_TICKET>", &CTillJobElements::CloseTicket},
    {"<PROTOCOL_CMD>", &CTillJobElements::ProtocolCommand},
};

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

}  // namespace

std::string CTillJobElements::TagOf(const std::string& line) {
  for (const CElementRow& row : kElementTable)
    if (line.find(row.m_Tag) != std::string::npos) return row.m_Tag;
  return "-";
}

std::int32_t CTillJobElements::Run(const std::string& line) {
  for (const CElementRow& row : kElementTable) {
    if (line.find(row.m_Tag) == std::string::npos) continue;
    // A batch that the register did not take fails the element that ends it.
    if (std::int32_t code = EndOtherBatches(row.m_Keeps); code != kCodeSuccess) return code;
    return (this->*row.m_Steps)(line);
  }
  return kCodeSuccess;
}

// Every open batch but the one kept is ended, in the order of the element steps: a department ends
// the offer then the PLU batch, a PLU the department then the offer batch, an offer the department
// then the PLU batch, any other element the offer, PLU and department batches. All are ended even when
// one fails; the first failure is the code.
std::int32_t CTillJobElements::EndOtherBatches(Batch keep) {
  using End = std::int32_t (CRegisterCommands::*)();
  std::vector<End> ends;
  switch (keep) {
    case Batch::Department: ends = {&CRegisterCommands::EndOfferBatch, &CRegisterCommands::EndPluBatch}; break;
    case Batch::Plu: ends = {&CRegisterCommands::EndDepartmentBatch, &CRegisterCommands::EndOfferBatch}; break;
    case Batch::Offer: ends = {&CRegisterCommands::EndDepartmentBatch, &CRegisterCommands::EndPluBatch}; break;
    case Batch::None: return m_Commands.EndBatches();
  }
  std::int32_t first = kCodeSuccess;
  for (End end : ends) {
    const std::int32_t code = (m_Commands.*end)();
    if (first == kCodeSuccess) first = code;
  }
  return first;
}

std::int32_t CTillJobElements::OpenTicket(const std::string& line) {
  if (m_Ecr.IsZeroFamily()) {
    m_Session.Events().ExpectIoDirect();
    if (std::int32_t code = m_Session.SendIODirect(kZeroWake); code != kCodeSuccess) return code;
    if (std::int32_t code = m_Session.WaitIoDirectComplete(); code != kCodeSuccess) return code;
  }
  if (std::int32_t code = m_Session.BloccaTastiera(); code != kCodeSuccess) return code;
  m_Commands.ClearDisplay();
  std::int32_t requestStatus = 0;
  if (m_Session.ReadEcrStatus(requestStatus) != kCodeSuccess) {
    // A failed request leaves the keyboard locked; an empty status text is answered by unlocking.
    if (requestStatus == kCodeSuccess) m_Session.SbloccaTastiera();
    return kCodeNoStatus;
  }
  if (m_Session.Status().m_PaperOut) {
    m_Session.SbloccaTastiera();
    return kCodePaperOut;
  }
  if (std::int32_t code = EnterTicketMode(); code != kCodeSuccess) return code;
  if (m_Session.Status().m_TicketOpen) {
    m_Session.SbloccaTastiera();
    return kCodeTicketOpen;
  }
  if (std::int32_t code = WriteAndAwait(line); code != kCodeSuccess) return code;
  m_Session.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

// Operating state "2" takes a ticket without a mode switch; any other needs the ticket mode first.
std::int32_t CTillJobElements::EnterTicketMode() {
  if (m_Session.Status().m_Operating == "2") return kCodeSuccess;
  m_Session.Events().ExpectIoDirect();
  std::int32_t code = m_Ecr.IsZeroFamily() ? m_Session.SendIODirect(kZeroTicketMode) : m_Commands.KeySwitch('R');
  if (code != kCodeSuccess) return code;  // the keyboard stays locked
  if (m_Session.WaitIoDirectComplete() != kCodeSuccess && m_Session.Status().m_Operating != "2") {
    m_Session.SbloccaTastiera();
    return kCodeNoProgramming;
  }
  return kCodeSuccess;
}

std::int32_t CTillJobElements::WriteAndAwait(const std::string& element) {
  m_Session.Events().ExpectWrite();
  std::int32_t job = 0;
  std::int32_t code = m_Session.SendWrite(element, job);
  if (code == kCodeSuccess) code = m_Session.WaitWorkComplete();
  if (code != kCodeSuccess) m_Session.SbloccaTastiera();
  return code;
}

std::int32_t CTillJobElements::TicketItem(const std::string& line) {
  const std::int32_t ecr = m_Ecr.m_EcrId;
  platform::DebugLog("DoTillJob idECR [%d] [%s]", ecr, line.c_str());
  m_Session.Events().ExpectWrite();
  std::int32_t job = 0;
  std::int32_t code = m_Session.SendWrite(line, job);
  platform::DebugLog("DoTillJob SELLITEM Write id[%d] job[%d] cmd[%s]", ecr, job, line.c_str());
  if (code != kCodeSuccess) {
    platform::DebugLog("DoTillJob: SELLITEM Write failure");
    m_Session.SbloccaTastiera();
    return code;
  }
  code = m_Session.WaitWorkComplete();
  platform::DebugLog("DoTillJob: post WaitWorkComplete id[%d]", ecr);
  if (code != kCodeSuccess) {
    platform::DebugLog("DoTillJob: WaitWorkComplete failure");
    m_Session.SbloccaTastiera();
    return code;
  }
  m_Session.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::CloseTable(const std::string& line) {
  // The control closes a table through its open-table element.
  CEventMailbox& events = m_Session.Events();
  events.ExpectWrite();
  std::int32_t job = 0;
  if (std::int32_t code = m_Session.SendWrite(ReplaceAll(line, "CLOSE_", "OPEN_"), job); code != kCodeSuccess) {
    m_Session.SbloccaTastiera();
    return code;
  }
  const auto limit = m_Session.Limits().m_Completion;
  m_Session.WaitFor([&] { return events.WriteDone() || events.Status().m_GenericError; }, limit);
  if (events.WriteDone() && events.WriteResult() != 0) {
    // The register refused to close the table: a failure, never a success.
    m_Session.SbloccaTastiera();
    return kCodeFailure;
  }
  std::int32_t code = m_Session.GetEcrError([&] { return events.WriteDone(); }, limit);
  m_Session.SbloccaTastiera();
  if (code != kCodeSuccess) return code;
  m_Session.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::CloseTicket(const std::string& line) {
  if (m_Ecr.IsZeroFamily()) m_LastTotal = true;
  m_Session.Events().ExpectWrite();
  std::int32_t job = 0;
  if (std::int32_t code = m_Session.SendWrite(line, job); code != kCodeSuccess) {
    m_Session.SbloccaTastiera();
    return code;
  }
  std::int32_t code = m_Session.WaitWorkComplete();
  m_Session.SbloccaTastiera();
  if (code != kCodeSuccess) return code;
  m_Session.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

std::int32_t CTillJobElements::ProtocolCommand(const std::string& line) {
  std::string command = ChildValue(line, "CMD");
  m_Session.Events().ExpectIoDirect();
  if (std::int32_t code = m_Session.SendIODirect(command); code != kCodeSuccess) return code;
  if (std::int32_t code = m_Session.WaitIoDirectComplete(); code != kCodeSuccess) return code;
  m_Session.WriteWarning(kCodeSuccess);
  return kCodeSuccess;
}

}  // namespace driver
