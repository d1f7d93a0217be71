#include "driver/ecr/command_strings.h"
#include "driver/ecr/document_reader.h"
#include "driver/ecr/qor_thread.h"
#include "driver/ecr/reply_files.h"
#include "driver/ecr/result_codes.h"
#include "driver/ecr/till_elements.h"
#include "platform/debug_log.h"

// DoTillJob: runs a ticket's command document on its register, element by element, writing a warning
// line per element and the reply at the end. The first element that fails ends the run. After the
// reply exists, a zero-family register may show the ticket's total on its displays.

namespace driver {

void CQorThread::DoTillJob() {
  CEcrContext& ecr = *m_current;
  platform::DebugLog("DoTillJob: Here we go with ecr %d [%s]", ecr.m_EcrId, m_DocumentPath.c_str());
  m_ElementCount = 0;
  m_OfferBatch = m_PluBatch = m_DepartmentBatch = 0;
  RemoveJobFile(m_ReplyWorkPath);
  RemoveJobFile(m_WarningPath);
  RemoveJobFile(m_ReplyPath);

  CDocumentReader document;
  if (!document.Open(m_DocumentPath)) {
    platform::DebugLog("DoTillJob [QOR_E_FAILURE] No file [%s]", m_DocumentPath.c_str());
    RemoveJobFile(m_ReplyWorkPath);
    RemoveJobFile(m_DocumentPath);
    RemoveJobFile(m_WarningPath);
    RemoveJobFile(m_ReplyPath);
    WriteReply(kCodeFailure);
    return;
  }

  CTillJobElements elements(*this);
  std::int32_t code = kCodeSuccess;
  std::string line;
  // A zero-family upload is fetched and awaited by the batch end that starts it, so no element waits
  // for an earlier one here.
  while (code == kCodeSuccess && document.NextLine(line)) {
    if (line.empty()) continue;
    if (Cancelled()) break;
    ++m_ElementCount;
    code = elements.Run(line);
  }
  // At shutdown the job leaves as it is: nothing more is sent or written, the document stays.
  if (Cancelled()) return;

  // Programming is done only once the register has taken the last batch too.
  const std::int32_t batches = EndBatches();
  if (Cancelled()) return;
  if (code == kCodeSuccess) code = batches;
  document.Close();
  RemoveJobFile(m_DocumentPath);
  WriteReply(code);
  ecr.m_ReportPath.Set("");
  ecr.m_HistoryPath.Set("");
  if (elements.LastTotalWanted() && m_pDriver.Options().m_DisplayLastTotal) ShowLastTotal();
  platform::DebugLog("FILE PARSING FINISHED!");
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
