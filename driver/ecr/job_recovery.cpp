#include <algorithm>
#include <cstring>

#include "driver/ecr/document_reader.h"
#include "driver/ecr/reply_files.h"
#include "driver/ecr/result_codes.h"
#include "driver/ecr/till_elements.h"
#include "driver/ecr/till_job.h"
#include "platform/debug_log.h"
#include "platform/folder_files.h"
#include "platform/text_file.h"

// A document whose earlier run was cut off (the driver stopped or was killed) is resolved from the
// record of that run and the register's own state, never by printing anything twice:
// - a reply already being made is completed;
// - an element that had already failed is answered with its code;
// - a receipt left open on the register is voided (21); one the register closed is answered as it
//   would have been (0, with the warning lines of the elements it took); one that was never opened is
//   opened again;
// - a zero-set or fiscal closure runs again only when the register's counter shows it did not happen;
// - programming runs again from the first record of its batch, other elements from the one cut off;
// - what cannot be decided (a raw command cut off, a register that cannot tell) is answered 3 and
//   never run again.

namespace driver {
namespace {

bool TagIs(const std::string& tag, std::initializer_list<const char*> tags) {
  return std::any_of(tags.begin(), tags.end(), [&](const char* one) { return tag == one; });
}

bool IsOpening(const std::string& tag) { return TagIs(tag, {"<OPEN_TICKET>", "<OPEN_TABLE>"}); }
bool IsClosing(const std::string& tag) { return TagIs(tag, {"<CLOSE_TICKET>", "<CLOSE_TABLE>", "<TICKETVOID>"}); }
bool IsReceiptElement(const std::string& tag) {
  return IsOpening(tag) || IsClosing(tag) ||
         TagIs(tag, {"<SELLITEM>", "<PASTVOID>", "<REFUND>", "<DISCOUNT>", "<PRINTLINE>"});
}
bool IsProgramming(const std::string& tag) { return TagIs(tag, {"<SET_DEPARTMENT>", "<SET_PLU>", "<SET_OFF>"}); }

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
  if (record.m_Reply) {
    CompleteReply(*record.m_Reply);
    return std::nullopt;
  }
  const CJobRecord::CElement* last = record.Last();
  if (last == nullptr) return 0;  // nothing was sent yet: the run starts afresh
  m_Session.SetElement(last->m_Index);
  if (last->m_Code && *last->m_Code != kCodeSuccess) {
    FinishTicket(progress, *last->m_Code);
    return std::nullopt;
  }
  const std::vector<std::string> tags = DocumentTags(m_Files.m_DocumentPath);
  const bool done = last->m_Code.has_value();
  const std::string& tag = last->m_Tag;
  if (IsReceiptElement(tag) && !(done && ClosingIndexFrom(tags, last->m_Index) == last->m_Index))
    return ResolveReceipt(record, tags, progress);
  if (done) return IsProgramming(tag) ? ProgrammingRunStart(tags, last->m_Index) : last->m_Index + 1;
  if (TagIs(tag, {"<FISCAL_CLOSURE>", "<ZEROSET_REQUEST>"})) return ResolveZeroSet(record, progress);
  if (tag == "<PROTOCOL_CMD>") {
    platform::DebugLog("[ZEDO] DoTillJob: ecr %d [%s] a raw command was cut off: answered 3", m_Ecr.m_EcrId,
                       m_Files.m_DocumentPath.c_str());
    m_Session.WriteWarning(kCodeFailure);
    FinishTicket(progress, kCodeFailure);
    return std::nullopt;
  }
  // An element cut off right after a batch may have been ending it: the batch goes again too.
  return ProgrammingRunStart(tags, last->m_Index);
}

std::optional<int> CTillJob::ResolveReceipt(const CJobRecord& record, const std::vector<std::string>& tags,
                                              const CJobProgress& progress) {
  const CJobRecord::CElement& last = *record.Last();
  std::int32_t requestStatus = kCodeSuccess;
  const bool statusKnown = m_Session.ReadEcrStatus(requestStatus) == kCodeSuccess;
  if (statusKnown && m_Ecr.m_TicketOpen) {
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
// file has not taken its name yet: it gets its code, if it has not, and its name.
void CTillJob::CompleteReply(std::int32_t code) {
  if (platform::Exists(m_Files.m_ReplyWorkPath)) {
    const std::string text = platform::ReadWholeFile(m_Files.m_ReplyWorkPath).value_or(std::string());
    const std::string codeLine = std::to_string(code) + "\n";
    const bool hasCode = text == codeLine ||
                         (text.size() > codeLine.size() && text.compare(text.size() - codeLine.size(), codeLine.size(), codeLine) == 0 &&
                          text[text.size() - codeLine.size() - 1] == '\n');
    if (hasCode) {
      platform::RenameWithoutReplacing(m_Files.m_ReplyWorkPath, m_Files.m_ReplyPath);
    } else {
      FinishReply(m_Files.m_ReplyWorkPath, m_Files.m_ReplyPath, code);
    }
  }
  RemoveJobFile(m_Files.m_DocumentPath);
  CJobProgress(m_Files.m_DocumentPath).Remove();
}

}  // namespace driver
