#include "driver/ecr/command_strings.h"
#include "driver/ecr/qor_thread.h"
#include "driver/ecr/result_codes.h"
#include "platform/debug_log.h"

// Programming batches, reports, zero-sets and history through the registers' own commands. On the
// star family a department or PLU batch holds the keyboard locked and the key at "P" from its start
// to its end. On the zero family records are queued and a batch end arms the upload: the register
// then fetches the queued lines one data question at a time (the control's events answer them).

namespace driver {

// The register asks for what the job armed while the command runs, and the command completes once it
// has fetched it all. Armed is set before the command, so the first question finds it armed, and
// cleared again whatever happened: an exchange the register refused, lost or broke off must not leave
// the next job waiting for it. Only then does the follow-up command make the register take the lines;
// it is sent and awaited here, by the job, so that its completion is never taken for a later command's.
std::int32_t CQorThread::Exchange(const char* command, Flag& armed, const char* followUp) {
  armed = 1;
  m_current->m_IoDirectComplete = 0;
  std::int32_t code = SendIODirect(command);
  if (code != kCodeSuccess) {
    WriteWarning(code);  // refused at the call: the register will neither ask nor complete
  } else {
    code = WaitIoDirectComplete();
    if (code == kCodeSuccess && armed) {
      platform::DebugLog("[ZEDO] ecr [%d] ended [%s] without fetching all it was given", m_current->m_EcrId, command);
      WriteWarning(kCodeFailure);
      code = kCodeFailure;
    }
  }
  armed = 0;
  if (code != kCodeSuccess) return code;
  return SendAndAwait(followUp);
}

std::int32_t CQorThread::KeySwitch(char letter) { return SendAndAwait(KeySwitchCommand(letter)); }

void CQorThread::ClearDisplay() {
  if (IsZeroFamily()) {
    SendIODirect(kZeroClearDisplay);
    return;
  }
  SendIODirect(kStarClearDisplay);
  SendIODirect(kStarClearDisplay);
}

std::int32_t CQorThread::DepartmentBatchStart() {
  if (IsZeroFamily()) {
    m_current->m_QueueB80.clear();
    return kCodeSuccess;
  }
  m_SavedKey = HelloCharacter(0);
  if (HelloCharacter(3) != '.') return kCodeNoProgramming;
  std::int32_t code = BloccaTastiera();
  KeySwitch('P');
  return code;
}

std::int32_t CQorThread::DepartmentRecord() {
  if (IsZeroFamily()) {
    m_current->m_QueueB80.push_back(ZeroDepartmentLine(m_Inputs.m_Department));
    return kCodeSuccess;
  }
  for (const std::string& command : StarDepartmentCommands(m_Inputs.m_Department)) {
    if (std::int32_t code = SendAndAwait(command); code != kCodeSuccess) return code;
  }
  return kCodeSuccess;
}

std::int32_t CQorThread::DepartmentBatchEnd() {
  if (IsZeroFamily()) {
    return Exchange(kZeroDepartmentUpload, m_current->m_QueueB80Armed, kQueueEmptyCommand);
  }
  SbloccaTastiera();
  KeySwitch(m_SavedKey);
  return kCodeSuccess;
}

std::int32_t CQorThread::PluBatchStart() {
  if (IsZeroFamily()) {
    m_current->m_QueueB81.clear();
    return kCodeSuccess;
  }
  m_SavedKey = HelloCharacter(0);
  if (HelloCharacter(3) != '.') return kCodeNoProgramming;
  BloccaTastiera();
  KeySwitch('P');
  ClearDisplay();
  std::int32_t code = SendAndAwait(kStarPluBatchStart);
  if (code != kCodeSuccess) {
    SbloccaTastiera();
    KeySwitch(m_SavedKey);
  }
  return code;
}

std::int32_t CQorThread::PluRecord() {
  if (IsZeroFamily()) {
    m_current->m_QueueB81.push_back(ZeroPluLine(m_Inputs.m_Plu));
    return kCodeSuccess;
  }
  for (const std::string& command : StarPluCommands(m_Inputs.m_Plu)) {
    if (std::int32_t code = SendAndAwait(command); code != kCodeSuccess) return code;
  }
  return kCodeSuccess;
}

std::int32_t CQorThread::PluBatchEnd() {
  if (IsZeroFamily()) {
    return Exchange(kZeroPluUpload, m_current->m_QueueB81Armed, kQueueEmptyCommand);
  }
  std::int32_t code = SendAndAwait(kStarPluBatchEnd);
  SbloccaTastiera();
  KeySwitch(m_SavedKey);
  return code;
}

std::int32_t CQorThread::OfferBatchStart() {
  if (!IsZeroFamily()) return kCodeOffersUnsupported;
  m_current->m_QueueB84.clear();
  return kCodeSuccess;
}

std::int32_t CQorThread::OfferRecord() {
  if (!IsZeroFamily()) return kCodeOffersUnsupported;
  m_current->m_QueueB84.push_back(ZeroOfferLine(m_Inputs.m_Offer));
  return kCodeSuccess;
}

std::int32_t CQorThread::OfferBatchEnd() {
  if (!IsZeroFamily()) return kCodeOffersUnsupported;
  return Exchange(kZeroOfferUpload, m_current->m_QueueB84Armed, kQueueEmptyCommand);
}

std::int32_t CQorThread::EndBatches() {
  const std::int32_t offers = EndOfferBatch();
  const std::int32_t plus = EndPluBatch();
  const std::int32_t departments = EndDepartmentBatch();
  return offers != kCodeSuccess ? offers : plus != kCodeSuccess ? plus : departments;
}

std::int32_t CQorThread::EndOfferBatch() {
  if (!m_OfferBatch) return kCodeSuccess;
  m_OfferBatch = 0;
  return OfferBatchEnd();
}

std::int32_t CQorThread::EndPluBatch() {
  if (!m_PluBatch) return kCodeSuccess;
  m_PluBatch = 0;
  return PluBatchEnd();
}

std::int32_t CQorThread::EndDepartmentBatch() {
  if (!m_DepartmentBatch) return kCodeSuccess;
  m_DepartmentBatch = 0;
  return DepartmentBatchEnd();
}

// The fiscal closure is awaited here: a closure the register's state refuses is 19, as the star
// family's own guard answers before sending. A zero-set is a request whose end the caller awaits.
std::int32_t CQorThread::ZeroSet() {
  if (m_Inputs.m_ZeroSetType == kFiscalClosureType) {
    if (IsZeroFamily()) return SendAndAwait(kZeroFiscalClosure, kCodeGenericError);
    return StarFiscalClosure();
  }
  std::string text = ZeroSetRequestText(m_Inputs.m_PrintFlag);
  return SendRequest(ZeroSetRequestCode(m_Inputs.m_ZeroSetType), text);
}

std::int32_t CQorThread::StarFiscalClosure() {
  char saved = HelloCharacter(0);
  if (HelloCharacter(3) != '.') return kCodeGenericError;
  std::int32_t code = SendAndAwait(kStarFiscalClosure, kCodeGenericError);
  KeySwitch(saved);
  return code;
}

std::int32_t CQorThread::Report() {
  m_current->m_ReportPath.Set("");
  std::string text = ReportRequestText(m_Inputs.m_PrintFlag);
  return SendRequest(ReportRequestCode(m_Inputs.m_ReportType), text);
}

std::int32_t CQorThread::HistoryRequest() {
  m_current->m_HistoryPath.Set("");
  std::string text;
  return SendRequest(kRequestHistory, text);
}

std::int32_t CQorThread::HistoryRollback() {
  std::string text;
  return SendRequest(kRequestHistoryRollback, text);
}

}  // namespace driver
