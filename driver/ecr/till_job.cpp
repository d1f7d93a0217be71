#include "driver/ecr/command_strings.h"
#include "driver/ecr/document_reader.h"
#include "driver/ecr/element_kinds.h"
#include "driver/tickets/reply_files.h"
#include "driver/tickets/result_codes.h"
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
// whose run was cut off (the driver stopped, was killed, or the power went) is resolved at its next
// run instead of being printed twice or left without a reply. When the driver stops, the element under
// way is finished and the rest of the document is left for the next start.

namespace driver {
namespace {

constexpr std::chrono::seconds kRoomRetry{1};

}  // namespace

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
  }
  RunDocument(progress, from);
}

void CTillJob::RunDocument(const CJobProgress& progress, int from) {
  CDocumentReader document;
  if (!document.Open(m_Files.m_DocumentPath)) {
    platform::DebugLog("DoTillJob [QOR_E_FAILURE] No file [%s]", m_Files.m_DocumentPath.c_str());
    RemoveJobFile(m_Files.m_ReplyWorkPath);
    RemoveJobFile(m_Files.m_WarningPath);
    RemoveJobFile(m_Files.m_ReplyPath);
    m_Disk.RemoveDocumentAndRecord();
    GiveReply(kCodeFailure, 0);
    return;
  }

  CTillJobElements elements(m_Session, m_Commands);
  std::int32_t code = kCodeSuccess;
  std::string line, previousTag;
  int count = 0;
  bool firstOfRun = true;
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
    const std::string tag = CTillJobElements::TagOf(line);
    if (firstOfRun || !ContinuesGroup(previousTag, tag)) {
      if (!BeginGroup(progress, index, tag, firstOfRun)) return;
    } else {
      progress.Begin(index, tag, m_Disk.Lengths());
    }
    firstOfRun = false;
    previousTag = tag;
    m_Session.SetElement(index);
    const std::int64_t replyBefore = m_Disk.Lengths().m_Reply;
    code = elements.Run(line);
    if (m_Session.Cancelled()) return;
    const CReplyLengths after = m_Disk.Lengths();
    if (after.m_Reply != replyBefore) m_Disk.FlushReplyText();
    progress.Done(index, code, after);
  }

  // Programming is done only once the register has taken the last batch too.
  const std::int32_t batches = m_Commands.EndBatches();
  if (m_Session.Cancelled()) return;
  if (code == kCodeSuccess) code = batches;
  document.Close();
  FinishTicket(progress, code);
  m_Session.Events().ForgetSavedPaths();
  if (elements.LastTotalWanted() && m_Session.Options().m_DisplayLastTotal) m_Commands.ShowLastTotal();
  platform::DebugLog("FILE PARSING FINISHED!");
}

// Nothing of the group is sent before its begin is on the disk: a recovery finds every group that
// reached the register, and places the elements within it from the register's state.
bool CTillJob::BeginGroup(const CJobProgress& progress, int index, const std::string& tag, bool firstOfRun) {
  for (;;) {
    platform::SystemError error;
    std::string what = m_Disk.RecordPath();
    if (firstOfRun || NeedsCounters(tag)) error = progress.Start(m_Session.ReadCounters());
    if (!error.Failed() && firstOfRun) {
      error = m_Disk.SetRoomAside();
      if (error.Failed()) what = m_Files.m_ReplyWorkPath;
    }
    if (!error.Failed()) error = progress.Begin(index, tag, m_Disk.Lengths());
    if (!error.Failed()) {
      const platform::CFlushOutcome flushed = firstOfRun ? m_Disk.FlushHead() : m_Disk.FlushRecord();
      if (flushed.Done()) return true;
      error = flushed.m_Error;
      what = flushed.m_Path;
    }
    if (!WaitForRoom(what, error)) return false;
  }
}

// The work file exists before the record says a reply is being made: a record with "reply" and no
// work file means the reply file has taken its name (and may since have been collected).
void CTillJob::FinishTicket(const CJobProgress& progress, std::int32_t code) {
  if (m_Session.Cancelled()) return;
  const CReplyLengths lengths = m_Disk.Lengths();
  for (platform::SystemError error; (error = progress.Reply(code, lengths)).Failed();)
    if (!WaitForRoom(m_Disk.RecordPath(), error)) return;
  platform::FaultPoint("reply");
  GiveReply(code, lengths.m_Reply);
  m_Disk.RemoveDocumentAndRecord();
}

void CTillJob::GiveReply(std::int32_t code, std::int64_t replyLength) {
  if (m_Session.Cancelled()) return;
  for (;;) {
    const platform::CFlushOutcome given = m_Disk.GiveReply(code, replyLength);
    if (given.Done()) {
      m_Session.TicketAnswered(code);
      return;
    }
    // A reply file already there is not replaced: the reply stays in its work file.
    if (given.m_Error.Number() == EEXIST) {
      platform::DebugLog("WriteReply: outputfile [%s] == NULL ", m_Files.m_ReplyWorkPath.c_str());
      return;
    }
    if (!WaitForRoom(given.m_Path, given.m_Error)) return;
  }
}

bool CTillJob::WaitForRoom(const std::string& what, const platform::SystemError& error) {
  if (!m_RoomLogged) {
    platform::DebugLog("[ZEDO] DoTillJob: ecr %d [%s] cannot be written or flushed (%s): nothing more is sent "
                       "to the register until it can",
                       m_Ecr.m_EcrId, what.c_str(), error.Text().c_str());
    m_RoomLogged = true;
  }
  m_Session.WaitFor([&] { return m_Session.Cancelled() || m_Ecr.IsStopping(); }, kRoomRetry);
  return !m_Session.Cancelled() && !m_Ecr.IsStopping();
}

void CTillJob::WarnDone(int first, int last) {
  for (int index = first; index <= last; ++index) {
    m_Session.SetElement(index);
    m_Session.WriteWarning(kCodeSuccess);
  }
}

}  // namespace driver
