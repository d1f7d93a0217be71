#pragma once
// Ticket intake: scans a register's ticket folder, translates each ticket file into a command document
// and hands the document to a job. Failures before a job exists are answered with a reply file.
// Runs on the window thread, one folder notification after another.

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "driver/control/ecr_context.h"
#include "driver/tickets/ticket_files.h"

namespace driver {

inline constexpr std::int32_t kTicketJobCode = 1234;

// Everything a ticket job is given before its thread is resumed.
struct CTicketJob {
  std::string m_DocumentPath;   // ".xmm"
  std::string m_ReplyWorkPath;  // ".mag"
  std::string m_WarningPath;    // ".inf"
  std::string m_ReplyPath;      // ".rep"
  CEcrContext* m_current = nullptr;
  std::int32_t m_JobCode = kTicketJobCode;
};

enum class JobStartResult {
  Started,   // created suspended, given the job, highest priority, listed, resumed
  NoWorker,  // the job object could not be made
  NoThread,  // its thread could not be created
};

// What the intake needs of the driver.
class ITicketHost {
 public:
  virtual ~ITicketHost() = default;
  virtual CEcrContext* FindEcr(std::int32_t ecrId) = 0;
  virtual bool IsServiceSuspended() const = 0;
  virtual bool DescriptionCheck() const = 0;
  virtual JobStartResult StartTicketJob(const CTicketJob& job) = 0;
  // One pause of the wait for a ticket's writer. The driver goes on handling the registers' events
  // meanwhile, so the jobs already started are not held up by tickets still being written.
  virtual void PauseForWriter(std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); }
};

// Result of ParseInputFileTxt.
enum ParseResult : int {
  kParseTranslated = 0,
  kParseCannotOpen = 1,
  kParseNoWorkFile = 2,
  kParseRejected = 3,
};

class CTicketIntake {
 public:
  // baseDirectory is empty or ends with '/'; "Totals.txt" lies in it.
  CTicketIntake(ITicketHost& host, std::string baseDirectory);

  // Processes every "*.txt" (any letter case) of the folder; the type of the notification is not used.
  void ProcessTicketFile(int notificationType, const std::string& folderPath);

  // Waits for the writer to let go of the ticket, then translates it into its numbered command document;
  // numberedName is set once the ticket has been opened. Returns a ParseResult.
  int ParseInputFileTxt(const CTicketNames& ticket, const CEcrContext& ecr, std::string& numberedName);

  // ParseInputFileTxt without the wait for the writer.
  int TranslateTicketFile(const CTicketNames& ticket, const CEcrContext& ecr, std::string& numberedName);

  // How long ParseInputFileTxt waits for the writer before it gives up (10000 ms; tests shorten it).
  void SetWriterWaitLimit(std::chrono::milliseconds limit) { m_WriterWaitLimit = limit; }

  // The ticket sequence number the next ticket gets (0..9999).
  int NextSequenceNumber() const { return m_SequenceNumber; }
  void SetSequenceNumber(int value) { m_SequenceNumber = value % 10000; }

 private:
  bool WaitForWriter(const CTicketNames& ticket);
  void AnswerTicket(const CTicketNames& ticket, int code, const char* failureFormat);

  ITicketHost& m_Host;
  std::string m_BaseDirectory;
  int m_SequenceNumber = 0;
  std::chrono::milliseconds m_WriterWaitLimit{10000};
};

}  // namespace driver
