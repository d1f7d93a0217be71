// ParseInputFileTxt: one opened ticket into its numbered command document's work file (".mmm"). The
// ticket is left as it is: it goes, and the document gets its ".xmm" name, only once the work file is
// on the disk (ticket_commit.cpp); a rejected one becomes ".err" once its reply is.

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
bool TranslateRecords(const std::string& text, const platform::CTextEncoding& encoding, const CEcrContext& ecr,
                      bool descriptionCheck, CCommandDocumentWriter& document) {
  CTicketLines lines(text, encoding);
  while (std::optional<TicketRecord> record = lines.Next()) {
    if (record->fault != RecordFault::None) {
      platform::DebugLog("ParseInputFileTxt: line %d rejected: %s", record->lineNumber,
                         RecordFaultReason(*record, encoding).c_str());
      return false;
    }
    std::string element = TranslateRecord(record->code, record->data, ecr.m_EcrType, descriptionCheck);
    if (element.empty()) return false;
    document.Append(element);
  }
  return true;
}

}  // namespace

int CTicketIntake::ParseInputFileTxt(const CTicketNames& ticket, const platform::FileDescriptor& file,
                                     const CEcrContext& ecr, std::string& numberedName) {
  numberedName = NumberedName(ticket.m_Ticket, m_SequenceNumber);
  m_SequenceNumber = (m_SequenceNumber + 1) % 10000;
  std::string workPath = WithExtension(numberedName, ".mmm");
  std::string documentPath = WithExtension(numberedName, ".xmm");
  std::string totalsFile = m_BaseDirectory + "Totals.txt";

  std::string text;
  platform::ReadOutcome read = platform::ReadOpenFile(file, kMaxTicketBytes, text);
  if (read == platform::ReadOutcome::Failed) {
    IncrementTicketTotal(totalsFile, "Found");
    platform::DebugLog("No open for read");
    return kParseCannotOpen;
  }
  RemoveFile(workPath);
  RemoveFile(documentPath);
  RemoveFile(ticket.m_Err);
  CCommandDocumentWriter document;
  if (!document.Create(workPath)) {
    platform::DebugLog("No open for write");
    return kParseNoWorkFile;
  }

  int result = kParseTranslated;
  if (read == platform::ReadOutcome::TooLarge) {
    platform::DebugLog("ParseInputFileTxt: ticket [%s] is larger than [%zu] bytes", ticket.m_Real.c_str(),
                       kMaxTicketBytes);
    result = kParseRejected;
  } else if (!TranslateRecords(text, m_Host.TicketEncoding(), ecr, m_Host.DescriptionCheck(), document)) {
    result = kParseRejected;
  }
  // A document that could not be written whole (a full disk) must never reach the register.
  if (!document.Close() && result == kParseTranslated) {
    platform::DebugLog("No open for write");
    RemoveFile(workPath);
    return kParseNoWorkFile;
  }
  // A ticket whose document cannot be written stays, to be tried again: it is counted once taken.
  IncrementTicketTotal(totalsFile, "Found");
  IncrementTicketTotal(totalsFile, "Done");
  return result;
}

}  // namespace driver
