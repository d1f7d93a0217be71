#pragma once
// Ticket intake: scans a register's ticket folder, waits for each ticket's writer to let go of it,
// translates the ticket into a command document and hands the document to a job. Failures before a
// job exists are answered with a reply file. Runs on the window thread and never waits there: a scan
// only puts the tickets it finds in line, and the host's timer calls CheckWaitingTickets when a try is
// due. The work of one call is kept short, so the thread goes back to its events between tickets, and
// a register's tickets are taken only a few jobs ahead of the register.
//
// What a power cut leaves must always be decidable: a ticket goes only once its command document is
// on the disk (so a cut leaves the ticket, or the whole document), and a ticket answered without a job
// goes (or becomes ".err") only once its reply's code is on the disk; meanwhile it is in hand and
// later looks at its folder pass it over. A ticket whose document or reply cannot be written (a full
// disk) stays a ticket and is tried again a second later, its register's later tickets behind it.
//
// A ticket folder is written by other programs and is not trusted: only regular files are tickets
// (links and special files named like tickets are left alone and logged once); a ticket is read from
// the very descriptor that passed the writer check and is never opened in a way that can block; a
// ticket larger than kMaxTicketBytes is rejected unread; a ticket that cannot be removed after its
// translation is not executed.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "driver/control/ecr_context.h"
#include "driver/tickets/left_alone_tickets.h"
#include "driver/tickets/shared_reply_names.h"
#include "driver/tickets/ticket_files.h"
#include "driver/tickets/ticket_host.h"
#include "driver/tickets/writer_wait.h"
#include "platform/file_descriptor.h"

namespace driver {

// Result of ParseInputFileTxt.
enum ParseResult : int {
  kParseTranslated = 0,  // the whole document is in its work file (".mmm"); the ticket is untouched
  kParseCannotOpen = 1,
  kParseNoWorkFile = 2,  // the document could not be written: the ticket stays, to be tried again
  kParseRejected = 3,    // a record was rejected; what was translated before it is in the work file
};

class CTicketIntake {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // baseDirectory is empty or ends with '/'; "Totals.txt" lies in it. The clock measures the writer
  // waits (tests give one of their own).
  CTicketIntake(ITicketHost& host, std::string baseDirectory, Clock clock = std::chrono::steady_clock::now);

  // Puts the tickets that appeared in the folder since its last look in line for their writer check,
  // in the order they appeared, after what was set aside there (see RescanFolder for a folder whose
  // names are not all known); the type of the notification is not used. Tickets already in line stay
  // in their place. The work does not grow with the files the folder holds.
  void ProcessTicketFile(int notificationType, const std::string& folderPath);
  // Lists the folder and puts every "*.txt" (any letter case) in it in line, oldest first (change
  // time, then name): at start-up, where changes may have gone unseen, and at the safety rescan.
  void RescanFolder(const std::string& folderPath);
  // The safety rescan's look at a folder: listed as above only where it may hold what no notification
  // told: the folder changed since its last listing (a file came or went, or another file system is
  // mounted there), its last listing came too soon after a change to be sure of it, or it holds
  // tickets set aside. Otherwise one look at the folder's own identity is all it costs.
  void SafetyRescanFolder(const std::string& folderPath);

  // Tries the tickets whose writer check is due: each one nobody else holds open any more is taken
  // (translated, then handed to a job or answered); one still held is tried again 20 ms later, or given
  // up once the writer wait limit has passed (it is tried again at the next change of its folder).
  void CheckWaitingTickets();

  // Translates an opened ticket into its numbered command document's work file; numberedName is set at
  // once. Returns a ParseResult.
  int ParseInputFileTxt(const CTicketNames& ticket, const platform::FileDescriptor& file, const CEcrContext& ecr,
                        std::string& numberedName);

  // At start-up, before the first scan: hands every command document an earlier run of the driver
  // left in the register's folder to a job, oldest first, so that it is answered (or run) before the
  // register's new tickets (left_documents.cpp).
  void ResumeLeftDocuments(CEcrContext& ecr);

  // A ticket job has ended: its register may take its next ticket.
  void TicketJobEnded();

  // Drops the line of waiting tickets (at shutdown); they stay in their folders for the next start.
  void ForgetWaitingTickets() { m_Waiting.Clear(); }
  std::size_t WaitingCount() const { return m_Waiting.Size(); }
  // Tickets whose writer still held them open when they were first tried.
  std::uint64_t WriterWaits() const { return m_WriterWaits; }

  // How long a ticket waits for its writer before it is given up (10000 ms; tests shorten it).
  void SetWriterWaitLimit(std::chrono::milliseconds limit) { m_Waiting.SetLimit(limit); }

  // The ticket sequence number the next ticket gets (0..9999).
  int NextSequenceNumber() const { return m_SequenceNumber; }
  void SetSequenceNumber(int value) { m_SequenceNumber = value % 10000; }

 private:
  void LookAt(const std::string& folderPath, const std::vector<platform::FolderEntry>& entries);
  bool IsNoTicket(const std::string& folder, const platform::FolderEntry& entry);
  // A ticket not taken now for a passing reason (its writer held it past the limit, a reply of another
  // spelling of its name is pending, its answer did not reach the disk) is looked at again with its
  // folder's next look.
  void TryAgainAtNextLook(const CTicketNames& ticket);
  void QueueTicket(const CTicketNames& ticket, std::int32_t ecrId);
  void AnswerNotOnList(const CTicketNames& ticket);
  void TryTicket(CWaitingTicket ticket);
  void TakeTicket(CWaitingTicket ticket, platform::FileDescriptor file, CEcrContext& ecr);
  void RejectTicket(CWaitingTicket ticket, const std::string& workPath,
                    const std::optional<platform::FileIdentity>& identity);
  // Once the document's work file is on the disk: the document named, the ticket removed, the job
  // started (ticket_commit.cpp).
  void CommitWhenFlushed(CWaitingTicket ticket, const std::string& workPath, const std::string& documentPath);
  void CommitDocument(CWaitingTicket ticket, const std::string& workPath, const std::string& documentPath,
                      CEcrContext& ecr);
  void StartJob(const CTicketNames& ticket, const std::string& documentPath, CEcrContext& ecr);
  // A ticket that could not be written beside: back in line, tried again a second later.
  void WaitForRoom(CWaitingTicket ticket, const std::string& reason);

  // How an answer's name and what becomes of the ticket follow each other.
  enum class ReplyOrder {
    kTicketFirst,  // the ticket's fate (removed, ".err", its document removed) first, then the name
    kNameFirst,    // the reply's name, flushed with its folder, then the ticket's fate
  };
  // Answers a ticket that never reaches a job. The reply's code is written to its work file; once it
  // is on the disk, the ticket's fate and the reply's name follow in the order given. False, with
  // nothing done, when the work file cannot be written.
  bool AnswerTicket(const CTicketNames& ticket, int code, const char* failureFormat, ReplyOrder order,
                    std::function<void()> fate);
  void LeaveAloneIfUnchanged(const CTicketNames& ticket, const std::optional<platform::FileIdentity>& identity);
  CWriterWait::MayStart MayStartJob() const;
  void ScheduleNextCheck();

  ITicketHost& m_Host;
  std::string m_BaseDirectory;
  Clock m_Clock;
  int m_SequenceNumber = 0;
  CWriterWait m_Waiting;
  std::uint64_t m_WriterWaits = 0;
  CLeftAloneTickets m_LeftAlone;
  std::map<std::string, std::vector<std::string>> m_TryAgain;  // folder -> names
  struct CListedFolder {
    platform::FileIdentity m_Identity;
    std::int64_t m_ListedNs = 0;  // the wall-clock time of the listing
  };
  std::map<std::string, CListedFolder> m_SafetyListed;  // by folder
  CSharedReplyNames m_ReplyNames;
  // Tickets whose document or reply is being flushed: they stay in their folders meanwhile. By the
  // path in lower case (the reply files' names), the paths as found.
  std::multimap<std::string, std::string> m_InHand;
  void PutInHand(const CTicketNames& ticket) { m_InHand.emplace(ticket.m_Ticket, ticket.m_Real); }
  void TakeOutOfHand(const CTicketNames& ticket);
  bool IsInHand(const std::string& real, const std::string& lower) const;
  // Another spelling of the name is in hand: its reply is on its way.
  bool OtherSpellingInHand(const CTicketNames& ticket) const;
  // Per register, the documents being flushed before their jobs start.
  std::map<std::int32_t, std::size_t> m_Committing;
};

}  // namespace driver
