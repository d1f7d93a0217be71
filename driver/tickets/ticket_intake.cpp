#include "driver/tickets/ticket_intake.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>
#include <vector>

#include "driver/tickets/reply_files.h"
#include "driver/tickets/result_codes.h"
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

// The entries named like tickets, oldest first (by change time, then name): where no notification
// told the order they came in, the order they were last changed is the nearest to it.
std::vector<platform::FolderEntry> TicketEntriesOldestFirst(const std::string& folder,
                                                            std::vector<platform::FolderEntry> entries) {
  std::erase_if(entries, [](const platform::FolderEntry& entry) { return !IsTicketFileName(entry.m_Name); });
  std::vector<std::pair<std::int64_t, platform::FolderEntry>> dated;
  dated.reserve(entries.size());
  for (platform::FolderEntry& entry : entries) {
    std::optional<platform::FileIdentity> identity = platform::IdentityOf(folder + "/" + entry.m_Name);
    dated.emplace_back(identity ? identity->m_ChangedNs : 0, std::move(entry));
  }
  std::sort(dated.begin(), dated.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.m_Name < b.second.m_Name;
  });
  entries.clear();
  for (auto& [changed, entry] : dated) entries.push_back(std::move(entry));
  return entries;
}

// A ticket that waits for room is tried again this long after.
constexpr std::chrono::seconds kRoomRetry{1};

}  // namespace

CTicketIntake::CTicketIntake(ITicketHost& host, std::string baseDirectory, Clock clock)
    : m_Host(host), m_BaseDirectory(std::move(baseDirectory)), m_Clock(std::move(clock)), m_ReplyNames(host) {}

void CTicketIntake::ProcessTicketFile(int /*notificationType*/, const std::string& folderPath) {
  CAppearedNames appeared = m_Host.TakeAppearedNames(folderPath);
  if (!appeared.m_Complete) return RescanFolder(folderPath);
  // What was set aside here comes first: it was there before the names that have just appeared.
  std::vector<std::string> names = m_LeftAlone.NamesIn(folderPath);
  if (auto aside = m_TryAgain.find(folderPath); aside != m_TryAgain.end()) {
    names.insert(names.end(), aside->second.begin(), aside->second.end());
    m_TryAgain.erase(aside);
  }
  for (std::string& name : appeared.m_Names)
    if (IsTicketFileName(name)) names.push_back(std::move(name));
  std::vector<platform::FolderEntry> entries;
  for (std::string& name : names)
    if (std::optional<platform::EntryKind> kind = platform::KindAt(folderPath + "/" + name))
      entries.push_back({std::move(name), *kind});
  LookAt(folderPath, entries);
}

void CTicketIntake::RescanFolder(const std::string& folderPath) {
  std::optional<std::vector<platform::FolderEntry>> listing = platform::ListFolder(folderPath);
  if (!listing) return;
  std::vector<platform::FolderEntry> entries = TicketEntriesOldestFirst(folderPath, std::move(*listing));
  std::set<std::string> names;
  for (const platform::FolderEntry& entry : entries) names.insert(entry.m_Name);
  m_LeftAlone.KeepOnly(folderPath, names);
  m_TryAgain.erase(folderPath);
  LookAt(folderPath, entries);
}

void CTicketIntake::SafetyRescanFolder(const std::string& folderPath) {
  // A change within this long before a listing may share its time stamp with one made after it.
  constexpr std::int64_t kStampMarginNs = 2'000'000'000;
  const std::optional<platform::FileIdentity> identity = platform::IdentityOf(folderPath);
  if (!identity) return;
  const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::system_clock::now().time_since_epoch()).count();
  const auto listed = m_SafetyListed.find(folderPath);
  const bool unchanged = listed != m_SafetyListed.end() && listed->second.m_Identity == *identity &&
                         listed->second.m_ListedNs - std::max(identity->m_ChangedNs, identity->m_ModifiedNs) > kStampMarginNs;
  if (unchanged && m_LeftAlone.NamesIn(folderPath).empty() && m_TryAgain.count(folderPath) == 0) return;
  m_SafetyListed[folderPath] = {*identity, now};
  RescanFolder(folderPath);
}

void CTicketIntake::LookAt(const std::string& folderPath, const std::vector<platform::FolderEntry>& entries) {
  const std::int32_t ecrId = EcrNumberOfFolder(folderPath);
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

// Answered once the reply is on the disk: the name first, so that a cut before the ticket goes leaves
// it to be answered again.
void CTicketIntake::AnswerNotOnList(const CTicketNames& ticket) {
  platform::DebugLog("ProcessTicketFile: ECR is NOT on list");
  std::optional<platform::FileIdentity> identity = platform::IdentityOf(ticket.m_Real);
  RemoveFile(ticket.m_Mag);
  RemoveFile(ticket.m_Inf);
  RemoveFile(ticket.m_Rep);
  AnswerTicket(ticket, kCodeRegisterUnknown, "ProcessTicketFile (1): outputfile [%s] == NULL ", ReplyOrder::kNameFirst,
               [this, ticket, identity] {
                 RemoveFile(ticket.m_Real);
                 LeaveAloneIfUnchanged(ticket, identity);
               });
}

// Answered but still there as it was (it could not be removed, or renamed to ".err"): taken again only
// once it changes, not at every change of the folder, which its own reply has just made.
void CTicketIntake::LeaveAloneIfUnchanged(const CTicketNames& ticket,
                                          const std::optional<platform::FileIdentity>& identity) {
  if (identity && platform::IdentityOf(ticket.m_Real) == identity) {
    platform::DebugLog("ProcessTicketFile: [%s] left alone until it changes", ticket.m_Real.c_str());
    m_LeftAlone.Remember(ticket.m_Real, *identity);
  }
}

// Folders named like tickets are silently no tickets; links and special files are left alone, logged
// once; so is a file remembered as answered but not removable, until it changes. A ticket in hand is
// on its way.
bool CTicketIntake::IsNoTicket(const std::string& folder, const platform::FolderEntry& entry) {
  if (entry.m_Kind == platform::EntryKind::Folder) return true;
  std::string path = folder + "/" + entry.m_Name;
  if (IsInHand(path, MakeTicketNames(folder, entry.m_Name).m_Ticket)) return true;
  if (m_LeftAlone.IsLeftAlone(path)) return true;
  if (entry.m_Kind == platform::EntryKind::RegularFile) return false;
  platform::DebugLog("ProcessTicketFile: [%s] is no regular file: left alone", path.c_str());
  m_LeftAlone.Remember(path);
  return true;
}

// A ticket whose name another spelling's pending reply holds waits silently; the change of the folder
// that collecting that reply makes brings it back.
void CTicketIntake::QueueTicket(const CTicketNames& ticket, std::int32_t ecrId) {
  if (OtherSpellingInHand(ticket) || m_ReplyNames.PendingOther(ticket)) return TryAgainAtNextLook(ticket);
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
    if (ticket.m_NextTry <= ticket.m_Found) ++m_WriterWaits;
    m_Waiting.TryAgain(std::move(ticket), m_Clock());
    return;
  }
  if (error == platform::kErrorCantAccessFile) {
    platform::DebugLog("ProcessTicketFile: [%s] is no regular file: left alone", names.m_Real.c_str());
    m_LeftAlone.Remember(names.m_Real);
    return;
  }
  if (error == platform::kErrorSharingViolation) {
    // Its writer held it past the limit: tried again at the next look at its folder.
    platform::DebugLog("CreateFile ERROR: File=[%s], Error=[%u]", names.m_Ticket.c_str(), error);
    return TryAgainAtNextLook(names);
  }
  if (error != platform::kErrorSuccess) {
    // It cannot be opened as it is (no right to read it): left alone until it changes, so the log
    // tells it once per change.
    platform::DebugLog("CreateFile ERROR: File=[%s], Error=[%u]", names.m_Ticket.c_str(), error);
    m_LeftAlone.Remember(names.m_Real);
    return;
  }
  if (OtherSpellingInHand(names)) return TryAgainAtNextLook(names);
  if (std::optional<std::string> other = m_ReplyNames.PendingOther(names)) {
    platform::DebugLog("ProcessTicketFile: [%s] waits until the reply of [%s] is collected", names.m_Real.c_str(),
                       other->c_str());
    return TryAgainAtNextLook(names);
  }
  if (CEcrContext* ecr = m_Host.FindEcr(ticket.m_EcrId)) TakeTicket(std::move(ticket), std::move(file), *ecr);
}

void CTicketIntake::TakeTicket(CWaitingTicket ticket, platform::FileDescriptor file, CEcrContext& ecr) {
  std::string numberedName;
  const int result = ParseInputFileTxt(ticket.m_Names, file, ecr, numberedName);
  std::optional<platform::FileIdentity> identity = platform::IdentityOf(file);
  // A removed ticket gives its room back only once nobody has it open: the reply may need that room.
  file.Close();
  const std::string workPath = WithExtension(numberedName, ".mmm");
  switch (result) {
    case kParseTranslated:
      CommitWhenFlushed(std::move(ticket), workPath, WithExtension(numberedName, ".xmm"));
      return;
    case kParseNoWorkFile:
      WaitForRoom(std::move(ticket), "its command document cannot be written");
      return;
    case kParseRejected:
      RejectTicket(std::move(ticket), workPath, identity);
      return;
    default:  // unreadable: tried again at the next look at its folder
      platform::DebugLog("ProcessTicketFile: QOR_E_FAILURE on parsing File [%s]", ticket.m_Names.m_Ticket.c_str());
      RemoveFile(ticket.m_Names.m_Mag);
      RemoveFile(ticket.m_Names.m_Inf);
      RemoveFile(ticket.m_Names.m_Rep);
      TryAgainAtNextLook(ticket.m_Names);
      return;
  }
}

// A rejected ticket is kept as ".err" once its reply's code is on the disk, before the reply gets its
// name: a till that reads the reply finds the ".err" already there.
void CTicketIntake::RejectTicket(CWaitingTicket ticket, const std::string& workPath,
                                 const std::optional<platform::FileIdentity>& identity) {
  const CTicketNames& names = ticket.m_Names;
  platform::DebugLog("ProcessTicketFile: QOR_E_FAILURE on parsing File [%s]", names.m_Ticket.c_str());
  platform::DebugLog("ParseInputFileTxt EXIT POINT [ERROR] UNLINK File=[%s]", workPath.c_str());
  RemoveFile(workPath);
  RemoveFile(names.m_Mag);
  RemoveFile(names.m_Inf);
  RemoveFile(names.m_Rep);
  const bool answering =
      AnswerTicket(names, kCodeTicketRejected, "ProcessTicketFile (2): outputfile [%s] == NULL ",
                   ReplyOrder::kTicketFirst, [this, names, identity] {
                     platform::DebugLog("ParseInputFileTxt EXIT POINT ERROR!, RENAME File=[%s],[%s]",
                                        names.m_Ticket.c_str(), names.m_Err.c_str());
                     if (const auto error = platform::RenameFile(names.m_Real, names.m_Err); error.Failed()) {
                       platform::DebugLog("ParseInputFileTxt: cannot rename ticket [%s] to [%s]: %s",
                                          names.m_Real.c_str(), names.m_Err.c_str(), error.Text().c_str());
                     }
                     m_ReplyNames.Taken(names, "");
                     LeaveAloneIfUnchanged(names, identity);
                   });
  if (!answering) WaitForRoom(std::move(ticket), "its reply cannot be written");
}

void CTicketIntake::WaitForRoom(CWaitingTicket ticket, const std::string& reason) {
  if (!ticket.m_WaitsForRoom) {
    platform::DebugLog("[ZEDO] ProcessTicketFile: [%s] stays: %s; tried again every %d s", ticket.m_Names.m_Real.c_str(),
                       reason.c_str(), static_cast<int>(kRoomRetry.count()));
  }
  m_Waiting.TryLater(std::move(ticket), m_Clock() + kRoomRetry);
}

bool CTicketIntake::AnswerTicket(const CTicketNames& ticket, int code, const char* failureFormat, ReplyOrder order,
                                 std::function<void()> fate) {
  if (!WriteReplyCode(ticket.m_Mag, code)) {
    platform::DebugLog(failureFormat, ticket.m_Mag.c_str());
    return false;
  }
  const std::string folder = ticket.m_Mag.substr(0, ticket.m_Mag.rfind('/'));
  platform::CFlushStep step{{ticket.m_Mag}, {}, {}};
  if (order == ReplyOrder::kNameFirst) step = {{ticket.m_Mag}, {{ticket.m_Mag, ticket.m_Rep}}, {folder}};
  PutInHand(ticket);
  m_Host.FlushThen(std::move(step), [this, ticket, code, order, fate = std::move(fate)](const platform::CFlushOutcome& flushed) {
    TakeOutOfHand(ticket);
    if (!flushed.Done()) {
      // Nothing was answered: the ticket stays, and is taken again at the next look at its folder.
      platform::DebugLog("[ZEDO] ProcessTicketFile: the reply [%s] is not on the disk (%s): not given",
                         flushed.m_Path.c_str(), flushed.m_Error.Text().c_str());
      RemoveFile(ticket.m_Mag);
      TryAgainAtNextLook(ticket);
      return;
    }
    fate();
    if (order == ReplyOrder::kTicketFirst) NameReply(ticket.m_Mag, ticket.m_Rep);
    // A register's folder is named after its number.
    const std::string folder = ticket.m_Rep.substr(0, ticket.m_Rep.rfind('/'));
    m_Host.TicketAnswered({std::atoi(folder.substr(folder.rfind('/') + 1).c_str()), ticket.m_Rep, code});
  });
  return true;
}

void CTicketIntake::TicketJobEnded() { ScheduleNextCheck(); }

void CTicketIntake::TryAgainAtNextLook(const CTicketNames& ticket) {
  const std::size_t slash = ticket.m_Real.rfind('/');
  std::vector<std::string>& names = m_TryAgain[ticket.m_Real.substr(0, slash)];
  std::string name = ticket.m_Real.substr(slash + 1);
  if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
}

void CTicketIntake::TakeOutOfHand(const CTicketNames& ticket) {
  auto [first, last] = m_InHand.equal_range(ticket.m_Ticket);
  for (auto held = first; held != last; ++held)
    if (held->second == ticket.m_Real) {
      m_InHand.erase(held);
      return;
    }
}

bool CTicketIntake::IsInHand(const std::string& real, const std::string& lower) const {
  auto [first, last] = m_InHand.equal_range(lower);
  return std::any_of(first, last, [&](const auto& held) { return held.second == real; });
}

bool CTicketIntake::OtherSpellingInHand(const CTicketNames& ticket) const {
  auto [first, last] = m_InHand.equal_range(ticket.m_Ticket);
  return std::any_of(first, last, [&](const auto& held) { return held.second != ticket.m_Real; });
}

CWriterWait::MayStart CTicketIntake::MayStartJob() const {
  return [this](std::int32_t ecrId) {
    auto committing = m_Committing.find(ecrId);
    const std::size_t ahead = committing == m_Committing.end() ? 0 : committing->second;
    return m_Host.TicketJobsRunning(ecrId) + ahead < kJobsPerRegister;
  };
}

void CTicketIntake::ScheduleNextCheck() {
  if (std::optional<std::chrono::milliseconds> delay = m_Waiting.DelayToNext(m_Clock(), MayStartJob()))
    m_Host.ScheduleTicketCheck(*delay);
}

}  // namespace driver
