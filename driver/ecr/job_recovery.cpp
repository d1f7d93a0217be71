#include <algorithm>
#include <cstring>

#include "driver/ecr/document_reader.h"
#include "driver/ecr/element_kinds.h"
#include "driver/tickets/reply_files.h"
#include "driver/tickets/result_codes.h"
#include "driver/ecr/till_elements.h"
#include "driver/ecr/till_job.h"
#include "platform/debug_log.h"
#include "platform/folder_files.h"
#include "platform/text_file.h"

// A document whose earlier run was cut off (the driver stopped or was killed, or the power went) is
// resolved from the record of that run and the register's own state, never by printing anything twice:
// - a reply already being made is completed;
// - an element that had already failed is answered with its code;
// - a receipt left open on the register is voided (21); one the register closed is answered as it
//   would have been (0, with the warning lines of the elements it took); one that was never opened is
//   opened again;
// - a zero-set or fiscal closure runs again only when the register's counter shows it did not happen;
// - programming runs again from the first record of its batch, other elements from the one cut off;
// - what cannot be decided (a raw command cut off, a register that cannot tell) is answered 3 and
//   never run again.
// After a power cut the record may end before the register's state does (only the begin of each
// element group is sure to be on the disk, job_files.h), which is why a receipt is always placed from
// the register's state and counters, never from how far its record goes. The warning and reply work
// files are first brought back to the point of the record the resolution goes on from.

namespace driver {
namespace {

// The tag of each element of the document, by index.
std::vector<std::string> DocumentTags(const std::string& documentPath) {
  std::vector<std::string> tags;
  CDocumentReader document;
  if (!document.Open(documentPath)) return tags;
  std::string line;
  while (document.NextLine(line))
    if (!line.empty()) tags.push_back(CTillJobElements::TagOf(line));
  return tags;
}

// The first record of the programming batch the element at index belongs to (or follows).
int ProgrammingRunStart(const std::vector<std::string>& tags, int index) {
  int start = index;
  while (start > 0 && start - 1 < static_cast<int>(tags.size()) && IsProgramming(tags[start - 1])) --start;
  return start;
}

// The element at or after index that ends the receipt it belongs to; -1 when none does.
int ClosingIndexFrom(const std::vector<std::string>& tags, int index) {
  for (int at = index; at < static_cast<int>(tags.size()); ++at)
    if (IsClosing(tags[at])) return at;
  return -1;
}

}  // namespace

std::optional<int> CTillJob::ResolveInterruptedJob(const CJobRecord& record, const CJobProgress& progress) {
  platform::DebugLog("[ZEDO] DoTillJob: ecr %d [%s] was cut off: resolving it", m_Ecr.m_EcrId,
                     m_Files.m_DocumentPath.c_str());
  using Kind = CJobFiles::CPoint::Kind;
  // The old reply of the ticket's name went before the record began: a reply there now is this job's,
  // named after its code was on the disk, whatever the record kept of the steps before.
  if (platform::Exists(m_Files.m_ReplyPath)) {
    platform::DebugLog("[ZEDO] DoTillJob: ecr %d [%s] was answered already", m_Ecr.m_EcrId, m_Files.m_ReplyPath.c_str());
    RemoveJobFile(m_Files.m_ReplyWorkPath);
    m_Disk.RemoveDocumentAndRecord();
    return std::nullopt;
  }
  if (record.m_Reply) {
    CompleteReply(record);
    return std::nullopt;
  }
  const CJobRecord::CElement* last = record.Last();
  if (last == nullptr) {  // nothing was sent yet: the run starts afresh
    m_Disk.Restore(record, {Kind::kStart});
    return 0;
  }
  const std::size_t lastPosition = record.m_Elements.size() - 1;
  const bool done = last->m_Code.has_value();
  m_Disk.Restore(record, {done ? Kind::kAfter : Kind::kBefore, lastPosition});
  m_Session.SetElement(last->m_Index);
  if (done && *last->m_Code != kCodeSuccess) {
    FinishTicket(progress, *last->m_Code);
    return std::nullopt;
  }
  const std::vector<std::string> tags = DocumentTags(m_Files.m_DocumentPath);
  const std::string& tag = last->m_Tag;
  if (IsReceiptElement(tag) && !(done && ClosingIndexFrom(tags, last->m_Index) == last->m_Index))
    return ResolveReceipt(record, tags, progress);
  if (!done && IsCountedZeroSet(tag)) return ResolveZeroSet(record, progress);
  if (!done && tag == "<PROTOCOL_CMD>") {
    platform::DebugLog("[ZEDO] DoTillJob: ecr %d [%s] a raw command was cut off: answered 3", m_Ecr.m_EcrId,
                       m_Files.m_DocumentPath.c_str());
    m_Session.WriteWarning(kCodeFailure);
    FinishTicket(progress, kCodeFailure);
    return std::nullopt;
  }
  // Programming goes again from the first record of its batch; an element cut off right after a batch
  // may have been ending it, so the batch goes again too.
  const int from = done && !IsProgramming(tag) ? last->m_Index + 1 : ProgrammingRunStart(tags, last->m_Index);
  RestoreBefore(record, from);
  return from;
}

// The files as they were when the element at index began, when the record holds its begin.
void CTillJob::RestoreBefore(const CJobRecord& record, int index) {
  for (std::size_t position = 0; position < record.m_Elements.size(); ++position)
    if (record.m_Elements[position].m_Index == index) {
      m_Disk.Restore(record, {CJobFiles::CPoint::Kind::kBefore, position});
      return;
    }
}

std::optional<int> CTillJob::ResolveReceipt(const CJobRecord& record, const std::vector<std::string>& tags,
                                              const CJobProgress& progress) {
  const CJobRecord::CElement& last = *record.Last();
  std::int32_t requestStatus = kCodeSuccess;
  const bool statusKnown = m_Session.ReadEcrStatus(requestStatus) == kCodeSuccess;
  if (statusKnown && m_Session.Status().m_TicketOpen) {
    std::int32_t code = m_Session.VoidAfterRecovery();
    if (code == kCodeSuccess) code = kCodeFailure;  // it was open: a refused void leaves it in doubt
    m_Session.SbloccaTastiera();
    FinishTicket(progress, code);
    return std::nullopt;
  }
  const CRegisterCounters now = m_Session.ReadCounters();
  if (statusKnown) {
    m_Session.SbloccaTastiera();
    const bool printed = record.m_AtStart.Known() && now.Known() && now.m_Receipts > record.m_AtStart.m_Receipts;
    const int closing = ClosingIndexFrom(tags, last.m_Index);
    const bool ended = printed || (closing == last.m_Index && !last.m_Code.has_value());
    if (ended && closing >= 0) {
      WarnDone(last.m_Code ? last.m_Index + 1 : last.m_Index, closing);
      return closing + 1;
    }
    if (IsOpening(last.m_Tag) && !last.m_Code && !printed) return last.m_Index;  // never opened: again
  }
  platform::DebugLog("[ZEDO] DoTillJob: ecr %d [%s] the receipt cannot be resolved: answered 3", m_Ecr.m_EcrId,
                     m_Files.m_DocumentPath.c_str());
  m_Session.SetElement(last.m_Index);
  m_Session.WriteWarning(kCodeFailure);
  FinishTicket(progress, kCodeFailure);
  return std::nullopt;
}

std::optional<int> CTillJob::ResolveZeroSet(const CJobRecord& record, const CJobProgress& progress) {
  const CJobRecord::CElement& last = *record.Last();
  const CRegisterCounters now = m_Session.ReadCounters();
  if (!record.m_AtStart.Known() || !now.Known()) {
    platform::DebugLog("[ZEDO] DoTillJob: ecr %d [%s] the register cannot tell its closures: answered 3",
                       m_Ecr.m_EcrId, m_Files.m_DocumentPath.c_str());
    m_Session.WriteWarning(kCodeFailure);
    FinishTicket(progress, kCodeFailure);
    return std::nullopt;
  }
  const bool closure = last.m_Tag == "<FISCAL_CLOSURE>";
  const bool happened = closure ? now.m_Closures > record.m_AtStart.m_Closures
                                : now.m_ZeroSets > record.m_AtStart.m_ZeroSets;
  if (!happened) return last.m_Index;
  WarnDone(last.m_Index, last.m_Index);
  return last.m_Index + 1;
}

// The record says the reply was being made with this code. The work file still there means the reply
// file has not taken its name yet: it gets its code, once, and its name. A reply file already there
// is kept as it is.
void CTillJob::CompleteReply(const CJobRecord& record) {
  if (platform::Exists(m_Files.m_ReplyWorkPath)) {
    m_Disk.Restore(record, {CJobFiles::CPoint::Kind::kReply});
    std::int64_t replyLength = record.m_AtReply.m_Reply;
    // A record of an older version kept no lengths: the code is the work file's last line when it ends
    // with it.
    if (replyLength < 0) {
      const std::string text = platform::ReadWholeFile(m_Files.m_ReplyWorkPath).value_or(std::string());
      const std::string codeLine = std::to_string(*record.m_Reply) + "\n";
      const bool hasCode = text.size() >= codeLine.size() &&
                           text.compare(text.size() - codeLine.size(), codeLine.size(), codeLine) == 0 &&
                           (text.size() == codeLine.size() || text[text.size() - codeLine.size() - 1] == '\n');
      replyLength = static_cast<std::int64_t>(hasCode ? text.size() - codeLine.size() : text.size());
    }
    GiveReply(*record.m_Reply, replyLength);
  }
  m_Disk.RemoveDocumentAndRecord();
}

}  // namespace driver
