#include "driver/ecr/command_strings.h"
#include "driver/ecr/document_reader.h"
#include "driver/ecr/reply_files.h"
#include "driver/ecr/result_codes.h"
#include "driver/ecr/till_elements.h"
#include "driver/ecr/till_job.h"
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

void CTillJob::DoTillJob() {
  platform::DebugLog("DoTillJob: Here we go with ecr %d [%s]", m_Ecr.m_EcrId, m_Files.m_DocumentPath.c_str());
  const CJobProgress progress(m_Files.m_DocumentPath);
  int from = 0;
  if (std::optional<CJobRecord> record = progress.Read()) {
    std::optional<int> resumed = ResolveInterruptedJob(*record, progress);
    if (!resumed) return;
    from = *resumed;
  } else {
    RemoveJobFile(m_Files.m_ReplyWorkPath);
    RemoveJobFile(m_Files.m_WarningPath);
    RemoveJobFile(m_Files.m_ReplyPath);
    if (platform::Exists(m_Files.m_DocumentPath)) progress.Start(m_Session.ReadCounters());
  }
  RunDocument(progress, from);
}

void CTillJob::RunDocument(const CJobProgress& progress, int from) {
  CDocumentReader document;
  if (!document.Open(m_Files.m_DocumentPath)) {
    platform::DebugLog("DoTillJob [QOR_E_FAILURE] No file [%s]", m_Files.m_DocumentPath.c_str());
    RemoveJobFile(m_Files.m_ReplyWorkPath);
    RemoveJobFile(m_Files.m_DocumentPath);
    RemoveJobFile(m_Files.m_WarningPath);
    RemoveJobFile(m_Files.m_ReplyPath);
    progress.Remove();
    WriteReply(kCodeFailure);
    return;
  }

  CTillJobElements elements(m_Session, m_Commands);
  std::int32_t code = kCodeSuccess;
  std::string line;
  int count = 0;
  // A zero-family upload is fetched and awaited by the batch end that starts it, so no element waits
  // for an earlier one here.
  while (code == kCodeSuccess && document.NextLine(line)) {
    if (line.empty()) continue;
    if (count < from) {
      ++count;  // answered by the earlier run
      continue;
    }
    // Stopping, the job leaves between two elements; at shutdown at once. The document stays.
    if (m_Session.Cancelled() || m_Ecr.IsStopping()) return;
    const int index = count++;
    m_Session.SetElement(index);
    progress.Begin(index, CTillJobElements::TagOf(line));
    code = elements.Run(line);
    if (m_Session.Cancelled()) return;
    progress.Done(index, code);
  }

  // Programming is done only once the register has taken the last batch too.
  const std::int32_t batches = m_Commands.EndBatches();
  if (m_Session.Cancelled()) return;
  if (code == kCodeSuccess) code = batches;
  document.Close();
  FinishTicket(progress, code);
  m_Ecr.m_ReportPath.Set("");
  m_Ecr.m_HistoryPath.Set("");
  if (elements.LastTotalWanted() && m_Session.Options().m_DisplayLastTotal) m_Commands.ShowLastTotal();
  platform::DebugLog("FILE PARSING FINISHED!");
}

// The work file exists before the record says a reply is being made: a record with "reply" and no
// work file means the reply file has taken its name (and may since have been collected).
void CTillJob::FinishTicket(const CJobProgress& progress, std::int32_t code) {
  if (m_Session.Cancelled()) return;
  platform::AppendToFile(m_Files.m_ReplyWorkPath, "");
  progress.Reply(code);
  platform::FaultPoint("reply");
  WriteReply(code);
  RemoveJobFile(m_Files.m_DocumentPath);
  progress.Remove();
}

void CTillJob::WarnDone(int first, int last) {
  for (int index = first; index <= last; ++index) {
    m_Session.SetElement(index);
    m_Session.WriteWarning(kCodeSuccess);
  }
}

void CTillJob::WriteReply(std::int32_t code) {
  if (!m_Session.Cancelled()) FinishReply(m_Files.m_ReplyWorkPath, m_Files.m_ReplyPath, code);
}

}  // namespace driver
