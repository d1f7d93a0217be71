#include "driver/ecr/command_strings.h"
#include "driver/ecr/qor_thread.h"
#include "driver/ecr/result_codes.h"

// Programming batches, reports, zero-sets and history through the registers' own commands. On the
// star family a department or PLU batch holds the keyboard locked and the key at "P" from its start
// to its end. On the zero family records are queued and a batch end arms the upload: the register
// then fetches the queued lines one data question at a time (the control's events answer them).

namespace driver {
namespace {

CDepartmentRecord DepartmentOf(const CEcrContext& ecr) {
  return {ecr.m_DepNumber, ecr.m_DepDescription, ecr.m_DepPrice, ecr.m_DepLalo, ecr.m_DepHalo, ecr.m_DepTax};
}

CPluRecord PluOf(const CEcrContext& ecr) {
  return {ecr.m_PluCode,     ecr.m_PluDescription, ecr.m_PluPrice, ecr.m_PluDepartment, ecr.m_PluTax,
          ecr.m_PluDiscount, ecr.m_PluOffer,       ecr.m_PluPrice1, ecr.m_PluFmult};
}

COfferRecord OfferOf(const CEcrContext& ecr) {
  return {ecr.m_OffCode, ecr.m_OffDescription, ecr.m_OffDepartment, ecr.m_OffPrice, ecr.m_OffNitem,
          ecr.m_OffFmult};
}

}  // namespace

// The flag is set before the command that starts the upload, so the register's first question finds
// the queue armed. When the command cannot be sent the register never asks: the flag is cleared again,
// or every later job of this register would wait for an upload that never comes.
std::int32_t CQorThread::ArmUpload(Flag& armed, const char* command) {
  armed = 1;
  ControlStatus status = SendIODirect(command);
  if (status != kCodeSuccess) armed = 0;
  return status;
}

// A queue is touched only while its upload is not armed: the event handlers hand out its lines from
// the window thread until the register has fetched them all. A ticket job waits for that before every
// element anyway; a job of the administration sheet can follow an upload at once, so it waits here.
std::int32_t CQorThread::StartUpload(std::deque<std::string>& queue, const Flag& armed) {
  m_current->WaitUntil([&] { return armed == 0; });
  if (Cancelled()) return kCodeShutdown;
  queue.clear();
  return kCodeSuccess;
}

std::int32_t CQorThread::KeySwitch(char letter) {
  SendIODirect(KeySwitchCommand(letter));
  return WaitIoDirectComplete();
}

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
    return StartUpload(m_current->m_QueueB80, m_current->m_QueueB80Armed);
  }
  m_SavedKey = HelloCharacter(0);
  if (HelloCharacter(3) != '.') return kCodeNoProgramming;
  std::int32_t code = BloccaTastiera();
  KeySwitch('P');
  return code;
}

std::int32_t CQorThread::DepartmentRecord() {
  if (IsZeroFamily()) {
    m_current->m_QueueB80.push_back(ZeroDepartmentLine(DepartmentOf(*m_current)));
    return kCodeSuccess;
  }
  for (const std::string& command : StarDepartmentCommands(DepartmentOf(*m_current))) {
    if (std::int32_t code = SendAndAwait(command); code != kCodeSuccess) return code;
  }
  return kCodeSuccess;
}

std::int32_t CQorThread::DepartmentBatchEnd() {
  if (IsZeroFamily()) {
    return ArmUpload(m_current->m_QueueB80Armed, kZeroDepartmentUpload);
  }
  SbloccaTastiera();
  KeySwitch(m_SavedKey);
  return kCodeSuccess;
}

std::int32_t CQorThread::PluBatchStart() {
  if (IsZeroFamily()) {
    return StartUpload(m_current->m_QueueB81, m_current->m_QueueB81Armed);
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
    m_current->m_QueueB81.push_back(ZeroPluLine(PluOf(*m_current)));
    return kCodeSuccess;
  }
  for (const std::string& command : StarPluCommands(PluOf(*m_current))) {
    if (std::int32_t code = SendAndAwait(command); code != kCodeSuccess) return code;
  }
  return kCodeSuccess;
}

std::int32_t CQorThread::PluBatchEnd() {
  if (IsZeroFamily()) {
    return ArmUpload(m_current->m_QueueB81Armed, kZeroPluUpload);
  }
  std::int32_t code = SendAndAwait(kStarPluBatchEnd);
  SbloccaTastiera();
  KeySwitch(m_SavedKey);
  return code;
}

std::int32_t CQorThread::OfferBatchStart() {
  if (!IsZeroFamily()) return kCodeOffersUnsupported;
  return StartUpload(m_current->m_QueueB84, m_current->m_QueueB84Armed);
}

std::int32_t CQorThread::OfferRecord() {
  if (!IsZeroFamily()) return kCodeOffersUnsupported;
  m_current->m_QueueB84.push_back(ZeroOfferLine(OfferOf(*m_current)));
  return kCodeSuccess;
}

std::int32_t CQorThread::OfferBatchEnd() {
  if (!IsZeroFamily()) return kCodeOffersUnsupported;
  return ArmUpload(m_current->m_QueueB84Armed, kZeroOfferUpload);
}

void CQorThread::EndBatches() {
  EndOfferBatch();
  EndPluBatch();
  EndDepartmentBatch();
}

void CQorThread::EndOfferBatch() {
  if (!m_OfferBatch) return;
  m_OfferBatch = 0;
  OfferBatchEnd();
}

void CQorThread::EndPluBatch() {
  if (!m_PluBatch) return;
  m_PluBatch = 0;
  PluBatchEnd();
}

void CQorThread::EndDepartmentBatch() {
  if (!m_DepartmentBatch) return;
  m_DepartmentBatch = 0;
  DepartmentBatchEnd();
}

std::int32_t CQorThread::ZeroSet() {
  if (m_current->m_ZeroSetType == -1) {
    if (IsZeroFamily()) return SendIODirect(kZeroFiscalClosure);
    return StarFiscalClosure();
  }
  std::string text = ZeroSetRequestText(m_current->m_PrintFlag);
  return SendRequest(ZeroSetRequestCode(m_current->m_ZeroSetType), text);
}

std::int32_t CQorThread::StarFiscalClosure() {
  char saved = HelloCharacter(0);
  if (HelloCharacter(3) != '.') return kCodeGenericError;
  std::int32_t code = SendIODirect(kStarFiscalClosure);
  KeySwitch(saved);
  return code;
}

std::int32_t CQorThread::Report() {
  m_current->m_ReportPath.Set("");
  std::string text = ReportRequestText(m_current->m_PrintFlag);
  return SendRequest(ReportRequestCode(m_current->m_ReportType), text);
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
