#pragma once
// CTillJob: runs a ticket's command document on its register, element by element, writing a warning
// line per element and the reply at the end. A document left by an earlier run (a record of its
// progress beside it) is resolved first, from that record and the register's own state
// (job_recovery.cpp). What reaches the disk when is CJobFiles' (job_files.h).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "driver/ecr/job_files.h"
#include "driver/ecr/job_order.h"
#include "driver/ecr/job_progress.h"
#include "driver/ecr/register_commands.h"
#include "driver/ecr/register_session.h"

namespace driver {

class CTillJob {
 public:
  CTillJob(CRegisterSession& session, CRegisterCommands& commands, const CDocumentJob& files)
      : m_Session(session),
        m_Commands(commands),
        m_Files(files),
        m_Ecr(session.Register()),
        m_Disk(files, session.Host().Flushes()) {}

  void DoTillJob();

 private:
  // Where a document's run goes on after an earlier run was interrupted: the element to start from,
  // or nothing when the job has been answered (or left) already.
  std::optional<int> ResolveInterruptedJob(const CJobRecord& record, const CJobProgress& progress);
  std::optional<int> ResolveReceipt(const CJobRecord& record, const std::vector<std::string>& tags,
                                    const CJobProgress& progress);
  std::optional<int> ResolveZeroSet(const CJobRecord& record, const CJobProgress& progress);
  void CompleteReply(const CJobRecord& record);
  void RestoreBefore(const CJobRecord& record, int index);
  // Runs the document's elements from the given one on, then answers.
  void RunDocument(const CJobProgress& progress, int from);
  // Before an element that opens a group of its own (job_files.h): the register's counters where they
  // decide a later recovery, the element's begin, and the flush; false when the driver stopped while
  // the record could not be written.
  bool BeginGroup(const CJobProgress& progress, int index, const std::string& tag, bool firstOfRun);
  // The reply on the disk before the document and its record go; nothing is answered twice.
  void FinishTicket(const CJobProgress& progress, std::int32_t code);
  void GiveReply(std::int32_t code, std::int64_t replyLength);
  // A file of the job could not be written or flushed (a full disk, a quota, a folder made read-only):
  // waits a second, logging it once; false once the driver stops, which leaves the document for the
  // next start.
  bool WaitForRoom(const std::string& what, const platform::SystemError& error);
  // Warning lines of code 0 for the elements first..last, as their run would have written them.
  void WarnDone(int first, int last);

  CRegisterSession& m_Session;
  CRegisterCommands& m_Commands;
  const CDocumentJob& m_Files;
  CEcrContext& m_Ecr;
  CJobFiles m_Disk;
  bool m_RoomLogged = false;
};

}  // namespace driver
