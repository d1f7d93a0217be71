#include "driver/control/status_parse.h"
#include "driver/ecr/command_strings.h"
#include "driver/ecr/document_reader.h"
#include "driver/ecr/qor_thread.h"
#include "driver/ecr/reply_files.h"
#include "driver/ecr/result_codes.h"
#include "driver/ecr/till_elements.h"
#include "platform/debug_log.h"
#include "platform/fault_point.h"
#include "platform/folder_files.h"

// DoTillJob: runs a ticket's command document on its register, element by element, writing a warning
// line per element and the reply at the end. The first element that fails ends the run. After the
// reply exists, a zero-family register may show the ticket's total on its displays.
//
// Each step is recorded beside the document (job_progress.h) before it is taken, so that a document
// whose run was cut off (the driver stopped, or was killed) is resolved at its next run instead of
// being printed twice or left without a reply. When the driver stops, the element under way is
// finished and the rest of the document is left for the next start.

namespace driver {

void CQorThread::DoTillJob() {
  CEcrContext& ecr = *m_current;
  platform::DebugLog("DoTillJob: Here we go with ecr %d [%s]", ecr.m_EcrId, m_DocumentPath.c_str());
  m_ElementCount = 0;
  m_OfferBatch = m_PluBatch = m_DepartmentBatch = 0;
  const CJobProgress progress(m_DocumentPath);
  int from = 0;
  if (std::optional<CJobRecord> record = progress.Read()) {
    std::optional<int> resumed = ResolveInterruptedJob(*record, progress);
    if (!resumed) return;
    from = *resumed;
  } else {
    RemoveJobFile(m_ReplyWorkPath);
    RemoveJobFile(m_WarningPath);
    RemoveJobFile(m_ReplyPath);
    if (platform::Exists(m_DocumentPath)) progress.Start(ReadCounters());
  }
  RunDocument(progress, from);
}

void CQorThread::RunDocument(const CJobProgress& progress, int from) {
  CEcrContext& ecr = *m_current;
  CDocumentReader document;
  if (!document.Open(m_DocumentPath)) {
    platform::DebugLog("DoTillJob [QOR_E_FAILURE] No file [%s]", m_DocumentPath.c_str());
    RemoveJobFile(m_ReplyWorkPath);
    RemoveJobFile(m_DocumentPath);
    RemoveJobFile(m_WarningPath);
    RemoveJobFile(m_ReplyPath);
    progress.Remove();
    WriteReply(kCodeFailure);
    return;
  }

  CTillJobElements elements(*this);
  std::int32_t code = kCodeSuccess;
  std::string line;
  m_ElementCount = 0;
  // A zero-family upload is fetched and awaited by the batch end that starts it, so no element waits
  // for an earlier one here.
  while (code == kCodeSuccess && document.NextLine(line)) {
    if (line.empty()) continue;
    if (m_ElementCount < from) {
      ++m_ElementCount;  // answered by the earlier run
      continue;
    }
    // Stopping, the job leaves between two elements; at shutdown at once. The document stays.
    if (Cancelled() || ecr.IsStopping()) return;
    ++m_ElementCount;
    progress.Begin(m_ElementCount - 1, CTillJobElements::TagOf(line));
    code = elements.Run(line);
    if (Cancelled()) return;
    progress.Done(m_ElementCount - 1, code);
  }

  // Programming is done only once the register has taken the last batch too.
  const std::int32_t batches = EndBatches();
  if (Cancelled()) return;
  if (code == kCodeSuccess) code = batches;
  document.Close();
  FinishTicket(progress, code);
  ecr.m_ReportPath.Set("");
  ecr.m_HistoryPath.Set("");
  if (elements.LastTotalWanted() && m_pDriver.Options().m_DisplayLastTotal) ShowLastTotal();
  platform::DebugLog("FILE PARSING FINISHED!");
}

// The work file exists before the record says a reply is being made: a record with "reply" and no
// work file means the reply file has taken its name (and may since have been collected).
void CQorThread::FinishTicket(const CJobProgress& progress, std::int32_t code) {
  if (Cancelled()) return;
  platform::AppendToFile(m_ReplyWorkPath, "");
  progress.Reply(code);
  platform::FaultPoint("reply");
  WriteReply(code);
  RemoveJobFile(m_DocumentPath);
  progress.Remove();
}

void CQorThread::WarnDone(int first, int last) {
  for (int index = first; index <= last; ++index) {
    m_ElementCount = index + 1;
    WriteWarning(kCodeSuccess);
  }
}

std::int32_t CQorThread::ReadEcrStatus(std::int32_t& requestStatus) {
  CEcrContext& ecr = *m_current;
  std::string text;
  requestStatus = SendRequest(kRequestStatus, text);
  if (requestStatus != kCodeSuccess) return requestStatus;
  ecr.m_StatusText.Set(text);
  if (text.empty()) return kCodeNoStatus;
  if (ParseEcrStatus(ecr) == StatusFollowUp::kStatusAlert) m_pDriver.PostStatusAlert(ecr.m_EcrId);
  return kCodeSuccess;
}

CRegisterCounters CQorThread::ReadCounters() {
  std::string text;
  if (SendRequest(kRequestCounters, text) != kCodeSuccess) return {};
  return ParseRegisterCounters(text);
}

// Asks the register for the last ticket total and shows it on the customer and operator displays,
// unless the register is in remote mode. Nothing here is awaited beyond its own time limits.
void CQorThread::ShowLastTotal() {
  CEcrContext& ecr = *m_current;
  ecr.m_LastPriceReady = 0;
  SendIODirect(kLastTotalQuery);
  if (!WaitFor([&] { return ecr.m_LastPriceReady != 0; }, ecr.m_Limits.m_Exchange)) return;
  if (!WaitFor([&] { return ecr.m_Remote == 0; }, ecr.m_Limits.m_Exchange)) return;
  std::string price = ecr.m_LastPrice.Get();
  SendIODirect(CustomerDisplayCommand(ecr.m_CustomerDigits, price));
  SendIODirect(OperatorDisplayCommand(ecr.m_OperatorDigits, price));
}

}  // namespace driver
