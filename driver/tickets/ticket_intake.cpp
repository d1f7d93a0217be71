#include "driver/tickets/ticket_intake.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "driver/tickets/command_document.h"
#include "driver/tickets/ticket_lines.h"
#include "driver/tickets/translator.h"
#include "platform/debug_log.h"
#include "platform/exclusive_open.h"
#include "platform/text_file.h"

namespace driver {
namespace {

using std::chrono::steady_clock;

constexpr std::chrono::milliseconds kWriterPoll{20};

// The register number is the number written after the folder path's last separator.
std::int32_t EcrNumberOfFolder(const std::string& folderPath) {
  std::size_t slash = folderPath.find_last_of('/');
  std::string last = slash == std::string::npos ? folderPath : folderPath.substr(slash + 1);
  return std::atoi(last.c_str());
}

bool IsRegularFile(const std::string& folder, const dirent& entry) {
  if (entry.d_type == DT_REG) return true;
  if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return false;
  struct stat info {};
  return ::stat((folder + "/" + entry.d_name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The ticket files waiting in the folder, sorted by name; nothing when the folder cannot be listed.
// Folders that happen to end in ".txt" are no tickets and are left alone.
std::optional<std::vector<std::string>> ListTickets(const std::string& folder) {
  DIR* listing = ::opendir(folder.c_str());
  if (!listing) return std::nullopt;
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(listing)) {
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (IsTicketFileName(name) && IsRegularFile(folder, *entry)) names.emplace_back(name);
  }
  ::closedir(listing);
  std::sort(names.begin(), names.end());
  return names;
}

CTicketJob MakeTicketJob(const CTicketNames& ticket, const std::string& documentPath, CEcrContext& ecr) {
  CTicketJob job;
  job.m_DocumentPath = documentPath;
  job.m_ReplyWorkPath = ticket.m_Mag;
  job.m_WarningPath = ticket.m_Inf;
  job.m_ReplyPath = ticket.m_Rep;
  job.m_current = &ecr;
  job.m_JobCode = kTicketJobCode;
  return job;
}

}  // namespace

CTicketIntake::CTicketIntake(ITicketHost& host, std::string baseDirectory)
    : m_Host(host), m_BaseDirectory(std::move(baseDirectory)) {}

void CTicketIntake::AnswerTicket(const CTicketNames& ticket, int code, const char* failureFormat) {
  if (!WriteTicketReply(ticket, code)) platform::DebugLog(failureFormat, ticket.m_Mag.c_str());
}

void CTicketIntake::ProcessTicketFile(int /*notificationType*/, const std::string& folderPath) {
  std::int32_t ecrId = EcrNumberOfFolder(folderPath);
  std::optional<std::vector<std::string>> names = ListTickets(folderPath);
  if (!names) return;

  for (const std::string& name : *names) {
    CTicketNames ticket = MakeTicketNames(folderPath, name);
    CEcrContext* ecr = m_Host.FindEcr(ecrId);
    if (!ecr) {
      platform::DebugLog("ProcessTicketFile: ECR is NOT on list");
      RemoveFile(ticket.m_Mag);
      RemoveFile(ticket.m_Real);
      RemoveFile(ticket.m_Inf);
      RemoveFile(ticket.m_Rep);
      AnswerTicket(ticket, 7, "ProcessTicketFile (1): outputfile [%s] == NULL ");
      continue;
    }
    platform::DebugLog("ProcessTicketFile for id %d", ecrId);

    std::string numberedName;
    int result = ParseInputFileTxt(ticket, *ecr, numberedName);
    if (result != kParseTranslated) {
      platform::DebugLog("ProcessTicketFile: QOR_E_FAILURE on parsing File [%s]", ticket.m_Ticket.c_str());
      RemoveFile(ticket.m_Mag);
      RemoveFile(ticket.m_Inf);
      RemoveFile(ticket.m_Rep);
      if (result == kParseNoWorkFile) AnswerTicket(ticket, 3, "ProcessTicketFile (2): outputfile [%s] == NULL ");
      if (result == kParseRejected) AnswerTicket(ticket, 22, "ProcessTicketFile (2): outputfile [%s] == NULL ");
      continue;
    }

    std::string documentPath = WithExtension(numberedName, ".xmm");
    auto giveUp = [&](int code, const char* failureFormat) {
      RemoveFile(ticket.m_Mag);
      RemoveFile(documentPath);
      RemoveFile(ticket.m_Inf);
      RemoveFile(ticket.m_Rep);
      AnswerTicket(ticket, code, failureFormat);
    };
    if (m_Host.IsServiceSuspended()) {
      platform::DebugLog("ProcessTicketFile: QOR_E_SERVICE_SUSPENDED");
      giveUp(11, "ProcessTicketFile (3): outputfile [%s] == NULL ");
      continue;
    }
    switch (m_Host.StartTicketJob(MakeTicketJob(ticket, documentPath, *ecr))) {
      case JobStartResult::Started:
        break;
      case JobStartResult::NoWorker:
        platform::DebugLog("ProcessTicketFile: pThread == NULL");
        platform::DebugLog("[QOR_E_FAILURE] in CQorDriverDlg::ProcessTicketFile bis");
        giveUp(3, "ProcessTicketFile (1a): outputfile [%s] == NULL ");
        break;
      case JobStartResult::NoThread:
        platform::DebugLog("ProcessTicketFile: CreateThread failure");
        giveUp(3, "ProcessTicketFile (8): outputfile [%s] == NULL ");
        break;
    }
  }
}

// Waits until no other program has the ticket open: pauses 20 ms before each try, for at most the
// writer wait limit. A ticket that has vanished is not waited for.
bool CTicketIntake::WaitForWriter(const CTicketNames& ticket) {
  steady_clock::time_point start = steady_clock::now();
  for (;;) {
    m_Host.PauseForWriter(kWriterPoll);
    unsigned error = platform::TryOpenExclusive(ticket.m_Real);
    if (error == platform::kErrorSuccess) return true;
    if (error == platform::kErrorFileNotFound || steady_clock::now() - start >= m_WriterWaitLimit) {
      platform::DebugLog("CreateFile ERROR: File=[%s], Error=[%u]", ticket.m_Ticket.c_str(), error);
      return false;
    }
  }
}

int CTicketIntake::ParseInputFileTxt(const CTicketNames& ticket, const CEcrContext& ecr, std::string& numberedName) {
  if (!WaitForWriter(ticket)) return kParseCannotOpen;
  return TranslateTicketFile(ticket, ecr, numberedName);
}

int CTicketIntake::TranslateTicketFile(const CTicketNames& ticket, const CEcrContext& ecr,
                                       std::string& numberedName) {
  numberedName = NumberedName(ticket.m_Ticket, m_SequenceNumber);
  m_SequenceNumber = (m_SequenceNumber + 1) % 10000;
  std::string workPath = WithExtension(numberedName, ".mmm");
  std::string documentPath = WithExtension(numberedName, ".xmm");
  std::string totalsFile = m_BaseDirectory + "Totals.txt";
  IncrementTicketTotal(totalsFile, "Found");

  std::optional<std::string> text = platform::ReadWholeFile(ticket.m_Real);
  if (!text) {
    platform::DebugLog("No open for read");
    return kParseCannotOpen;
  }
  RemoveFile(workPath);
  RemoveFile(documentPath);
  RemoveFile(ticket.m_Err);
  CCommandDocumentWriter document;
  if (!document.Create(workPath)) {
    platform::DebugLog("No open for write");
    RemoveFile(ticket.m_Real);
    return kParseNoWorkFile;
  }

  int result = kParseTranslated;
  CTicketLines lines(*text);
  while (std::optional<TicketRecord> record = lines.Next()) {
    std::string element =
        record->tooLong ? std::string() : TranslateRecord(record->code, record->data, ecr.m_EcrType, m_Host.DescriptionCheck());
    if (element.empty()) {
      result = kParseRejected;
      break;
    }
    document.Append(element);
  }
  // A document that could not be written whole (a full disk) must never reach the register.
  if (!document.Close() && result == kParseTranslated) {
    platform::DebugLog("No open for write");
    RemoveFile(workPath);
    RemoveFile(ticket.m_Real);
    return kParseNoWorkFile;
  }

  if (result == kParseRejected) {
    platform::DebugLog("ParseInputFileTxt EXIT POINT ERROR!, RENAME File=[%s],[%s]", ticket.m_Ticket.c_str(),
                       ticket.m_Err.c_str());
    std::rename(ticket.m_Real.c_str(), ticket.m_Err.c_str());
    platform::DebugLog("ParseInputFileTxt EXIT POINT [ERROR] UNLINK File=[%s]", workPath.c_str());
    RemoveFile(workPath);
  } else {
    RemoveFile(ticket.m_Real);
    std::rename(workPath.c_str(), documentPath.c_str());
  }
  IncrementTicketTotal(totalsFile, "Done");
  return result;
}

}  // namespace driver
