#include "driver/ecr/command_strings.h"
#include "driver/ecr/register_commands.h"
#include "driver/tickets/result_codes.h"
#include "platform/debug_log.h"

// Programming batches, reports, zero-sets and history. On the zero family a batch end arms the upload:
// the register then fetches the queued lines one data question at a time (the control's events answer
// them).

namespace driver {

// The register asks for what the job armed while the command runs, and the command completes once it
// has fetched it all. Armed is set before the command, so the first question finds it armed, and
// cleared again whatever happened: an exchange the register refused, lost or broke off must not leave
// the next job waiting for it. Only then does the follow-up command make the register take the lines;
// it is sent and awaited here, by the job, so that its completion is never taken for a later command's.
std::int32_t CRegisterCommands::Exchange(const char* command, DataQuestion question, std::vector<std::string> lines,
                                         const char* followUp) {
  CEventMailbox& events = m_Session.Events();
  events.Arm(question, std::move(lines));
  events.ExpectIoDirect();
  std::int32_t code = m_Session.SendIODirect(command);
  if (code != kCodeSuccess) {
    m_Session.WriteWarning(code);  // refused at the call: the register will neither ask nor complete
  } else {
    code = m_Session.WaitIoDirectComplete();
    if (code == kCodeSuccess && events.Armed(question)) {
      platform::DebugLog("[ZEDO] ecr [%d] ended [%s] without fetching all it was given", m_Ecr.m_EcrId, command);
      m_Session.WriteWarning(kCodeFailure);
      code = kCodeFailure;
    }
  }
  events.Disarm(question);
  if (code != kCodeSuccess) return code;
  return m_Session.SendAndAwait(followUp);
}

std::int32_t CRegisterCommands::KeySwitch(char letter) { return m_Session.SendAndAwait(KeySwitchCommand(letter)); }

void CRegisterCommands::ClearDisplay() {
  if (m_Session.IsZeroFamily()) {
    m_Session.SendIODirect(kZeroClearDisplay);
    return;
  }
  m_Session.SendIODirect(kStarClearDisplay);
  m_Session.SendIODirect(kStarClearDisplay);
}

std::int32_t CRegisterCommands::DepartmentBatchStart() {
  if (m_Session.IsZeroFamily()) {
    m_Uploads.clear();
    return kCodeSuccess;
  }
  m_SavedKey = m_Session.HelloCharacter(0);
  if (m_Session.HelloCharacter(3) != '.') return kCodeNoProgramming;
  std::int32_t code = m_Session.BloccaTastiera();
  KeySwitch('P');
  return code;
}

std::int32_t CRegisterCommands::DepartmentRecord(const CDepartmentRecord& record) {
  if (m_Session.IsZeroFamily()) {
    m_Uploads.push_back(ZeroDepartmentLine(record));
    return kCodeSuccess;
  }
  for (const std::string& command : StarDepartmentCommands(record)) {
    if (std::int32_t code = m_Session.SendAndAwait(command); code != kCodeSuccess) return code;
  }
  return kCodeSuccess;
}

std::int32_t CRegisterCommands::DepartmentBatchEnd() {
  if (m_Session.IsZeroFamily()) {
    return Exchange(kZeroDepartmentUpload, DataQuestion::kDepartments, std::move(m_Uploads), kQueueEmptyCommand);
  }
  m_Session.SbloccaTastiera();
  KeySwitch(m_SavedKey);
  return kCodeSuccess;
}

std::int32_t CRegisterCommands::PluBatchStart() {
  if (m_Session.IsZeroFamily()) {
    m_Uploads.clear();
    return kCodeSuccess;
  }
  m_SavedKey = m_Session.HelloCharacter(0);
  if (m_Session.HelloCharacter(3) != '.') return kCodeNoProgramming;
  m_Session.BloccaTastiera();
  KeySwitch('P');
  ClearDisplay();
  std::int32_t code = m_Session.SendAndAwait(kStarPluBatchStart);
  if (code != kCodeSuccess) {
    m_Session.SbloccaTastiera();
    KeySwitch(m_SavedKey);
  }
  return code;
}

std::int32_t CRegisterCommands::PluRecord(const CPluRecord& record) {
  if (m_Session.IsZeroFamily()) {
    m_Uploads.push_back(ZeroPluLine(record));
    return kCodeSuccess;
  }
  for (const std::string& command : StarPluCommands(record)) {
    if (std::int32_t code = m_Session.SendAndAwait(command); code != kCodeSuccess) return code;
  }
  return kCodeSuccess;
}

std::int32_t CRegisterCommands::PluBatchEnd() {
  if (m_Session.IsZeroFamily()) {
    return Exchange(kZeroPluUpload, DataQuestion::kPlus, std::move(m_Uploads), kQueueEmptyCommand);
  }
  std::int32_t code = m_Session.SendAndAwait(kStarPluBatchEnd);
  m_Session.SbloccaTastiera();
  KeySwitch(m_SavedKey);
  return code;
}

std::int32_t CRegisterCommands::OfferBatchStart() {
  if (!m_Session.IsZeroFamily()) return kCodeOffersUnsupported;
  m_Uploads.clear();
  return kCodeSuccess;
}

std::int32_t CRegisterCommands::OfferRecord(const COfferRecord& record) {
  if (!m_Session.IsZeroFamily()) return kCodeOffersUnsupported;
  m_Uploads.push_back(ZeroOfferLine(record));
  return kCodeSuccess;
}

std::int32_t CRegisterCommands::OfferBatchEnd() {
  if (!m_Session.IsZeroFamily()) return kCodeOffersUnsupported;
  return Exchange(kZeroOfferUpload, DataQuestion::kOffers, std::move(m_Uploads), kQueueEmptyCommand);
}

// A record starts its kind's batch when none is open; a batch that could not start stays closed.
std::int32_t CRegisterCommands::AddDepartment(const CDepartmentRecord& record) {
  if (!m_DepartmentBatch) {
    if (std::int32_t code = DepartmentBatchStart(); code != kCodeSuccess) return code;
    m_DepartmentBatch = true;
  }
  return DepartmentRecord(record);
}

std::int32_t CRegisterCommands::AddPlu(const CPluRecord& record) {
  if (!m_PluBatch) {
    if (std::int32_t code = PluBatchStart(); code != kCodeSuccess) return code;
    m_PluBatch = true;
  }
  return PluRecord(record);
}

std::int32_t CRegisterCommands::AddOffer(const COfferRecord& record) {
  if (!m_OfferBatch) {
    if (std::int32_t code = OfferBatchStart(); code != kCodeSuccess) return code;
    m_OfferBatch = true;
  }
  return OfferRecord(record);
}

std::int32_t CRegisterCommands::EndBatches() {
  const std::int32_t offers = EndOfferBatch();
  const std::int32_t plus = EndPluBatch();
  const std::int32_t departments = EndDepartmentBatch();
  return offers != kCodeSuccess ? offers : plus != kCodeSuccess ? plus : departments;
}

std::int32_t CRegisterCommands::EndOfferBatch() {
  if (!m_OfferBatch) return kCodeSuccess;
  m_OfferBatch = false;
  return OfferBatchEnd();
}

std::int32_t CRegisterCommands::EndPluBatch() {
  if (!m_PluBatch) return kCodeSuccess;
  m_PluBatch = false;
  return PluBatchEnd();
}

std::int32_t CRegisterCommands::EndDepartmentBatch() {
  if (!m_DepartmentBatch) return kCodeSuccess;
  m_DepartmentBatch = false;
  return DepartmentBatchEnd();
}

// The fiscal closure is awaited here: a closure the register's state refuses is 19, as the star
// family's own guard answers before sending. A zero-set is a request whose end the caller awaits.
std::int32_t CRegisterCommands::ZeroSet(const CZeroSetJob& zeroSet) {
  if (zeroSet.m_ZeroSetType == kFiscalClosureType) {
    if (m_Session.IsZeroFamily()) return m_Session.SendAndAwait(kZeroFiscalClosure, kCodeGenericError);
    return StarFiscalClosure();
  }
  std::string text = ZeroSetRequestText(zeroSet.m_PrintFlag);
  return m_Session.SendRequest(ZeroSetRequestCode(zeroSet.m_ZeroSetType), text);
}

std::int32_t CRegisterCommands::StarFiscalClosure() {
  char saved = m_Session.HelloCharacter(0);
  if (m_Session.HelloCharacter(3) != '.') return kCodeGenericError;
  std::int32_t code = m_Session.SendAndAwait(kStarFiscalClosure, kCodeGenericError);
  KeySwitch(saved);
  return code;
}

// A ticket's report goes to the ticket's reply alone; the sheet's is shown to its person.
std::int32_t CRegisterCommands::Report(const CReportJob& report) {
  m_Session.Events().ExpectReport(m_Session.AnswersTicket());
  std::string text = ReportRequestText(report.m_PrintFlag);
  return m_Session.SendRequest(ReportRequestCode(report.m_ReportType), text);
}

std::int32_t CRegisterCommands::HistoryRequest() {
  m_Session.Events().ExpectHistory(m_Session.AnswersTicket());
  std::string text;
  return m_Session.SendRequest(kRequestHistory, text);
}

std::int32_t CRegisterCommands::HistoryRollback() {
  std::string text;
  return m_Session.SendRequest(kRequestHistoryRollback, text);
}

// Nothing here is awaited beyond its own time limits; a register in remote mode shows nothing.
void CRegisterCommands::ShowLastTotal() {
  m_Session.Events().ExpectLastPrice();
  m_Session.SendIODirect(kLastTotalQuery);
  if (!m_Session.WaitFor([&] { return m_Session.Events().LastPriceReady(); }, m_Session.Limits().m_Exchange)) return;
  if (!m_Session.WaitFor([&] { return m_Session.Status().m_Remote == 0; }, m_Session.Limits().m_Exchange)) return;
  std::string price = m_Session.Events().LastPrice();
  const CDisplayDigits digits = m_Ecr.DisplayDigits();
  m_Session.SendIODirect(CustomerDisplayCommand(digits.m_CustomerDigits, price));
  m_Session.SendIODirect(OperatorDisplayCommand(digits.m_OperatorDigits, price));
}

}  // namespace driver
