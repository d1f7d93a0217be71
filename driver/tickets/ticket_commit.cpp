// A translated ticket becomes its job's command document. The document's work file is flushed first
// (together with those of the other tickets taken meanwhile); only then is it named ".xmm" and the
// ticket removed, so that a power cut leaves either the ticket, taken again, or the whole document. A
// ticket that cannot be removed is never executed: its document goes again and it is answered 3.
// Meanwhile the ticket is in hand, and counts as one of its register's jobs ahead.

#include "driver/tickets/reply_files.h"
#include "driver/tickets/result_codes.h"
#include "driver/tickets/ticket_intake.h"
#include "platform/debug_log.h"
#include "platform/fault_point.h"
#include "platform/folder_files.h"

namespace driver {
namespace {

CDocumentJob MakeTicketJob(const CTicketNames& ticket, const std::string& documentPath) {
  return {documentPath, ticket.m_Mag, ticket.m_Inf, ticket.m_Rep};
}

// Removes the ticket; false, with the reason logged, when it stays.
bool RemoveTicket(const CTicketNames& ticket) {
  const platform::SystemError error = platform::RemoveFile(ticket.m_Real);
  if (!error.Failed()) return true;
  platform::DebugLog("ParseInputFileTxt: cannot remove ticket [%s]: %s", ticket.m_Real.c_str(), error.Text().c_str());
  return false;
}

}  // namespace

void CTicketIntake::CommitWhenFlushed(CWaitingTicket ticket, const std::string& workPath,
                                      const std::string& documentPath) {
  const std::int32_t ecrId = ticket.m_EcrId;
  PutInHand(ticket.m_Names);
  ++m_Committing[ecrId];
  m_Host.FlushThen({{workPath}, {}, {}}, [this, ticket = std::move(ticket), workPath, documentPath](
                                             const platform::CFlushOutcome& flushed) mutable {
    TakeOutOfHand(ticket.m_Names);
    if (--m_Committing[ticket.m_EcrId] == 0) m_Committing.erase(ticket.m_EcrId);
    CEcrContext* ecr = m_Host.FindEcr(ticket.m_EcrId);
    if (!flushed.Done() || ecr == nullptr) {
      RemoveFile(workPath);
      if (!flushed.Done()) WaitForRoom(std::move(ticket), "its command document is not on the disk (" +
                                                              flushed.m_Error.Text() + ")");
    } else {
      CommitDocument(std::move(ticket), workPath, documentPath, *ecr);
    }
    ScheduleNextCheck();
  });
}

void CTicketIntake::CommitDocument(CWaitingTicket ticket, const std::string& workPath,
                                   const std::string& documentPath, CEcrContext& ecr) {
  const CTicketNames& names = ticket.m_Names;
  const std::optional<platform::FileIdentity> identity = platform::IdentityOf(names.m_Real);
  if (m_Host.IsServiceSuspended()) {
    platform::DebugLog("ProcessTicketFile: QOR_E_SERVICE_SUSPENDED");
    RemoveFile(workPath);
    RemoveFile(names.m_Mag);
    RemoveFile(names.m_Inf);
    RemoveFile(names.m_Rep);
    // The ticket goes before the reply is named: a cut between leaves the reply's work file, which
    // the next start names.
    const bool answering = AnswerTicket(names, kCodeServiceSuspended, "ProcessTicketFile (3): outputfile [%s] == NULL ",
                                        ReplyOrder::kTicketFirst, [this, names, identity] {
                                          m_ReplyNames.Taken(names, "");
                                          if (!RemoveTicket(names)) LeaveAloneIfUnchanged(names, identity);
                                        });
    if (!answering) WaitForRoom(std::move(ticket), "its reply cannot be written");
    return;
  }
  if (const platform::SystemError error = platform::RenameFile(workPath, documentPath); error.Failed()) {
    RemoveFile(workPath);
    WaitForRoom(std::move(ticket), "its command document cannot be named (" + error.Text() + ")");
    return;
  }
  if (!RemoveTicket(names)) {
    RemoveFile(documentPath);
    platform::DebugLog("ProcessTicketFile: QOR_E_FAILURE on parsing File [%s]", names.m_Ticket.c_str());
    RemoveFile(names.m_Mag);
    RemoveFile(names.m_Inf);
    RemoveFile(names.m_Rep);
    AnswerTicket(names, kCodeFailure, "ProcessTicketFile (2): outputfile [%s] == NULL ", ReplyOrder::kNameFirst,
                 [this, names, identity] {
                   m_ReplyNames.Taken(names, "");
                   LeaveAloneIfUnchanged(names, identity);
                 });
    return;
  }
  platform::FaultPoint("document");
  m_ReplyNames.Taken(names, documentPath);
  StartJob(names, documentPath, ecr);
}

// A job that cannot be started leaves its document until its answer is on the disk.
void CTicketIntake::StartJob(const CTicketNames& ticket, const std::string& documentPath, CEcrContext& ecr) {
  auto giveUp = [&](const char* failureFormat) {
    RemoveFile(ticket.m_Mag);
    RemoveFile(ticket.m_Inf);
    RemoveFile(ticket.m_Rep);
    AnswerTicket(ticket, kCodeFailure, failureFormat, ReplyOrder::kTicketFirst,
                 [documentPath] { RemoveFile(documentPath); });
  };
  switch (m_Host.StartTicketJob(ecr, MakeTicketJob(ticket, documentPath))) {
    case JobStartResult::Started:
      break;
    case JobStartResult::NoWorker:
      platform::DebugLog("ProcessTicketFile: pThread == NULL");
      platform::DebugLog("[QOR_E_FAILURE] in CQorDriverDlg::ProcessTicketFile bis");
      giveUp("ProcessTicketFile (1a): outputfile [%s] == NULL ");
      break;
    case JobStartResult::NoThread:
      platform::DebugLog("ProcessTicketFile: CreateThread failure");
      giveUp("ProcessTicketFile (8): outputfile [%s] == NULL ");
      break;
  }
}

}  // namespace driver
