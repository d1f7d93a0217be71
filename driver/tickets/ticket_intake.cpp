#include "driver/tickets/ticket_intake.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

#include "driver/ecr/result_codes.h"
#include "platform/debug_log.h"
#include "platform/fault_point.h"
#include "platform/exclusive_open.h"
#include "platform/folder_files.h"

namespace driver {
namespace {

// One call of CheckWaitingTickets takes tickets for about this long, then lets the window thread handle
// its other events (the registers' completions) before it goes on.
constexpr std::chrono::milliseconds kCheckSlice{5};

// Ticket jobs of one register started ahead of it. A register runs one job at a time; more started
// jobs would only wait for it, and thousands of waiting job threads (a burst) slow every one of them.
// The register's next tickets wait in line meanwhile, in their order.
constexpr std::size_t kJobsPerRegister = 4;

// The register number is the number written after the folder path's last separator.
std::int32_t EcrNumberOfFolder(const std::string& folderPath) {
  std::size_t slash = folderPath.find_last_of('/');
  std::string last = slash == std::string::npos ? folderPath : folderPath.substr(slash + 1);
  return std::atoi(last.c_str());
}

// The entries named like tickets, sorted by name.
std::vector<platform::FolderEntry> TicketEntries(std::vector<platform::FolderEntry> entries) {
  std::erase_if(entries, [](const platform::FolderEntry& entry) { return !IsTicketFileName(entry.m_Name); });
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.m_Name < b.m_Name; });
  return entries;
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

// The reply to a ticket that does not reach a job; -1 for none.
int ReplyCodeOf(int parseResult) {
  switch (parseResult) {
    case kParseNoWorkFile:
    case kParseNotRemoved: return kCodeFailure;
    case kParseRejected: return kCodeTicketRejected;
    default: return -1;
  }
}

}  // namespace

CTicketIntake::CTicketIntake(ITicketHost& host, std::string baseDirectory, Clock clock)
    : m_Host(host), m_BaseDirectory(std::move(baseDirectory)), m_Clock(std::move(clock)), m_ReplyNames(host) {}

void CTicketIntake::AnswerTicket(const CTicketNames& ticket, int code, const char* failureFormat) {
  if (!WriteTicketReply(ticket, code)) platform::DebugLog(failureFormat, ticket.m_Mag.c_str());
}

void CTicketIntake::ProcessTicketFile(int /*notificationType*/, const std::string& folderPath) {
  std::int32_t ecrId = EcrNumberOfFolder(folderPath);
  std::optional<std::vector<platform::FolderEntry>> listing = platform::ListFolder(folderPath);
  if (!listing) return;
  std::vector<platform::FolderEntry> entries = TicketEntries(std::move(*listing));
  std::set<std::string> names;
  for (const platform::FolderEntry& entry : entries) names.insert(entry.m_Name);
  m_LeftAlone.KeepOnly(folderPath, names);

  for (const platform::FolderEntry& entry : entries) {
    if (IsNoTicket(folderPath, entry)) continue;
    CTicketNames ticket = MakeTicketNames(folderPath, entry.m_Name);
    if (m_Host.FindEcr(ecrId) != nullptr) {
      QueueTicket(ticket, ecrId);
    } else {
      AnswerNotOnList(ticket);
    }
  }
  ScheduleNextCheck();
}

void CTicketIntake::AnswerNotOnList(const CTicketNames& ticket) {
  platform::DebugLog("ProcessTicketFile: ECR is NOT on list");
  std::optional<platform::FileIdentity> identity = platform::IdentityOf(ticket.m_Real);
  RemoveFile(ticket.m_Mag);
  RemoveFile(ticket.m_Real);
  RemoveFile(ticket.m_Inf);
  RemoveFile(ticket.m_Rep);
  AnswerTicket(ticket, kCodeRegisterUnknown, "ProcessTicketFile (1): outputfile [%s] == NULL ");
  // Answered but not removable: taken again only once it changes, not at every change of the folder.
  if (identity && platform::IdentityOf(ticket.m_Real) == identity) m_LeftAlone.Remember(ticket.m_Real, *identity);
}

// Folders named like tickets are silently no tickets; links and special files are left alone, logged
// once; so is a file remembered as answered but not removable, until it changes.
bool CTicketIntake::IsNoTicket(const std::string& folder, const platform::FolderEntry& entry) {
  if (entry.m_Kind == platform::EntryKind::Folder) return true;
  std::string path = folder + "/" + entry.m_Name;
  if (m_LeftAlone.IsLeftAlone(path)) return true;
  if (entry.m_Kind == platform::EntryKind::RegularFile) return false;
  platform::DebugLog("ProcessTicketFile: [%s] is no regular file: left alone", path.c_str());
  m_LeftAlone.Remember(path);
  return true;
}

// A ticket whose name another spelling's pending reply holds waits silently; the change of the folder
// that collecting that reply makes brings it back.
void CTicketIntake::QueueTicket(const CTicketNames& ticket, std::int32_t ecrId) {
  if (m_ReplyNames.PendingOther(ticket)) return;
  if (m_Waiting.Add(ticket, ecrId, m_Clock())) platform::DebugLog("ProcessTicketFile for id %d", ecrId);
}

void CTicketIntake::CheckWaitingTickets() {
  const auto start = m_Clock();
  while (std::optional<CWaitingTicket> ticket = m_Waiting.TakeFirstDue(m_Clock(), MayStartJob())) {
    TryTicket(std::move(*ticket));
    if (m_Clock() - start >= kCheckSlice) break;
  }
  ScheduleNextCheck();
}

void CTicketIntake::TryTicket(CWaitingTicket ticket) {
  const CTicketNames& names = ticket.m_Names;
  platform::FileDescriptor file;
  unsigned error = platform::OpenExclusive(names.m_Real, file);
  if (error == platform::kErrorSharingViolation && !m_Waiting.LimitPassed(ticket, m_Clock())) {
    m_Waiting.TryAgain(std::move(ticket), m_Clock());
    return;
  }
  if (error == platform::kErrorCantAccessFile) {
    platform::DebugLog("ProcessTicketFile: [%s] is no regular file: left alone", names.m_Real.c_str());
    m_LeftAlone.Remember(names.m_Real);
    return;
  }
  if (error != platform::kErrorSuccess) {
    platform::DebugLog("CreateFile ERROR: File=[%s], Error=[%u]", names.m_Ticket.c_str(), error);
    return;
  }
  if (std::optional<std::string> other = m_ReplyNames.PendingOther(names)) {
    platform::DebugLog("ProcessTicketFile: [%s] waits until the reply of [%s] is collected", names.m_Real.c_str(),
                       other->c_str());
    return;
  }
  if (CEcrContext* ecr = m_Host.FindEcr(ticket.m_EcrId)) TakeTicket(names, std::move(file), *ecr);
}

void CTicketIntake::TakeTicket(const CTicketNames& ticket, platform::FileDescriptor file, CEcrContext& ecr) {
  std::string numberedName;
  int result = ParseInputFileTxt(ticket, file, ecr, numberedName);
  std::optional<platform::FileIdentity> identity = platform::IdentityOf(file);
  // A removed ticket gives its room back only once nobody has it open: the reply may need that room.
  file.Close();
  std::string documentPath = WithExtension(numberedName, ".xmm");
  if (result == kParseTranslated) {
    platform::FaultPoint("document");
    m_ReplyNames.Taken(ticket, documentPath);
    StartJob(ticket, documentPath, ecr);
    return;
  }
  platform::DebugLog("ProcessTicketFile: QOR_E_FAILURE on parsing File [%s]", ticket.m_Ticket.c_str());
  RemoveFile(ticket.m_Mag);
  RemoveFile(ticket.m_Inf);
  RemoveFile(ticket.m_Rep);
  int code = ReplyCodeOf(result);
  if (code < 0) return;  // unreadable: tried again at the next change of its folder
  m_ReplyNames.Taken(ticket, "");
  AnswerTicket(ticket, code, "ProcessTicketFile (2): outputfile [%s] == NULL ");
  // Answered but still there as it was (it could not be removed, or renamed to ".err"): taken again
  // only once it changes, not at every change of the folder, which its own reply has just made.
  if (identity && platform::IdentityOf(ticket.m_Real) == identity) {
    platform::DebugLog("ProcessTicketFile: [%s] left alone until it changes", ticket.m_Real.c_str());
    m_LeftAlone.Remember(ticket.m_Real, *identity);
  }
}

void CTicketIntake::StartJob(const CTicketNames& ticket, const std::string& documentPath, CEcrContext& ecr) {
  auto giveUp = [&](int code, const char* failureFormat) {
    RemoveFile(ticket.m_Mag);
    RemoveFile(documentPath);
    RemoveFile(ticket.m_Inf);
    RemoveFile(ticket.m_Rep);
    AnswerTicket(ticket, code, failureFormat);
  };
  if (m_Host.IsServiceSuspended()) {
    platform::DebugLog("ProcessTicketFile: QOR_E_SERVICE_SUSPENDED");
    giveUp(kCodeServiceSuspended, "ProcessTicketFile (3): outputfile [%s] == NULL ");
    return;
  }
  switch (m_Host.StartTicketJob(MakeTicketJob(ticket, documentPath, ecr))) {
    case JobStartResult::Started:
      break;
    case JobStartResult::NoWorker:
      platform::DebugLog("ProcessTicketFile: pThread == NULL");
      platform::DebugLog("[QOR_E_FAILURE] in CQorDriverDlg::ProcessTicketFile bis");
      giveUp(kCodeFailure, "ProcessTicketFile (1a): outputfile [%s] == NULL ");
      break;
    case JobStartResult::NoThread:
      platform::DebugLog("ProcessTicketFile: CreateThread failure");
      giveUp(kCodeFailure, "ProcessTicketFile (8): outputfile [%s] == NULL ");
      break;
  }
}

void CTicketIntake::TicketJobEnded() { ScheduleNextCheck(); }

CWriterWait::MayStart CTicketIntake::MayStartJob() const {
  return [this](std::int32_t ecrId) { return m_Host.TicketJobsRunning(ecrId) < kJobsPerRegister; };
}

void CTicketIntake::ScheduleNextCheck() {
  if (std::optional<std::chrono::milliseconds> delay = m_Waiting.DelayToNext(m_Clock(), MayStartJob()))
    m_Host.ScheduleTicketCheck(*delay);
}

}  // namespace driver
