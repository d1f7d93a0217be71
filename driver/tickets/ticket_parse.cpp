// ParseInputFileTxt: one opened ticket into its numbered command document. The document is written
// as ".mmm" and renamed to ".xmm" only once the ticket itself is gone, so a ticket that cannot be
// removed is never executed (it would be taken again at the next change of its folder). A rejected
// ticket is kept as ".err".

#include "driver/tickets/command_document.h"
#include "driver/tickets/ticket_intake.h"
#include "driver/tickets/ticket_lines.h"
#include "driver/tickets/translator.h"
#include "platform/debug_log.h"
#include "platform/folder_files.h"
#include "platform/text_file.h"

namespace driver {
namespace {

// Writes the element of each record; false at the first record rejected.
bool TranslateRecords(const std::string& text, const CEcrContext& ecr, bool descriptionCheck,
                      CCommandDocumentWriter& document) {
  CTicketLines lines(text);
  while (std::optional<TicketRecord> record = lines.Next()) {
    if (record->fault != RecordFault::None) {
      platform::DebugLog("ParseInputFileTxt: line %d rejected: %s", record->lineNumber,
                         RecordFaultReason(record->fault).c_str());
      return false;
    }
    std::string element = TranslateRecord(record->code, record->data, ecr.m_EcrType, descriptionCheck);
    if (element.empty()) return false;
    document.Append(element);
  }
  return true;
}

// Removes the ticket; false, with the reason logged, when it stays.
bool RemoveTicket(const CTicketNames& ticket) {
  int error = platform::RemoveFile(ticket.m_Real);
  if (error == 0) return true;
  platform::DebugLog("ParseInputFileTxt: cannot remove ticket [%s]: %s", ticket.m_Real.c_str(),
                     platform::ErrorText(error).c_str());
  return false;
}

void KeepRejectedTicket(const CTicketNames& ticket, const std::string& workPath) {
  platform::DebugLog("ParseInputFileTxt EXIT POINT ERROR!, RENAME File=[%s],[%s]", ticket.m_Ticket.c_str(),
                     ticket.m_Err.c_str());
  if (int error = platform::RenameFile(ticket.m_Real, ticket.m_Err); error != 0) {
    platform::DebugLog("ParseInputFileTxt: cannot rename ticket [%s] to [%s]: %s", ticket.m_Real.c_str(),
                       ticket.m_Err.c_str(), platform::ErrorText(error).c_str());
  }
  platform::DebugLog("ParseInputFileTxt EXIT POINT [ERROR] UNLINK File=[%s]", workPath.c_str());
  platform::RemoveFile(workPath);
}

}  // namespace

int CTicketIntake::ParseInputFileTxt(const CTicketNames& ticket, const platform::FileDescriptor& file,
                                     const CEcrContext& ecr, std::string& numberedName) {
  numberedName = NumberedName(ticket.m_Ticket, m_SequenceNumber);
  m_SequenceNumber = (m_SequenceNumber + 1) % 10000;
  std::string workPath = WithExtension(numberedName, ".mmm");
  std::string documentPath = WithExtension(numberedName, ".xmm");
  std::string totalsFile = m_BaseDirectory + "Totals.txt";
  IncrementTicketTotal(totalsFile, "Found");

  std::string text;
  platform::ReadOutcome read = platform::ReadOpenFile(file, kMaxTicketBytes, text);
  if (read == platform::ReadOutcome::Failed) {
    platform::DebugLog("No open for read");
    return kParseCannotOpen;
  }
  RemoveFile(workPath);
  RemoveFile(documentPath);
  RemoveFile(ticket.m_Err);
  CCommandDocumentWriter document;
  if (!document.Create(workPath)) {
    platform::DebugLog("No open for write");
    RemoveTicket(ticket);
    return kParseNoWorkFile;
  }

  int result = kParseTranslated;
  if (read == platform::ReadOutcome::TooLarge) {
    platform::DebugLog("ParseInputFileTxt: ticket [%s] is larger than [%zu] bytes", ticket.m_Real.c_str(),
                       kMaxTicketBytes);
    result = kParseRejected;
  } else if (!TranslateRecords(text, ecr, m_Host.DescriptionCheck(), document)) {
    result = kParseRejected;
  }
  // A document that could not be written whole (a full disk) must never reach the register.
  if (!document.Close() && result == kParseTranslated) {
    platform::DebugLog("No open for write");
    RemoveFile(workPath);
    RemoveTicket(ticket);
    return kParseNoWorkFile;
  }

  if (result == kParseRejected) {
    KeepRejectedTicket(ticket, workPath);
  } else if (!RemoveTicket(ticket)) {
    RemoveFile(workPath);
    result = kParseNotRemoved;
  } else {
    platform::RenameFile(workPath, documentPath);
  }
  IncrementTicketTotal(totalsFile, "Done");
  return result;
}

}  // namespace driver
