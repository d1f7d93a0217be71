#pragma once
// CTillJob: runs a ticket's command document on its register, element by element, writing a warning
// line per element and the reply at the end. A document left by an earlier run (a record of its
// progress beside it) is resolved first, from that record and the register's own state
// (job_recovery.cpp).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "driver/ecr/job_order.h"
#include "driver/ecr/job_progress.h"
#include "driver/ecr/register_commands.h"
#include "driver/ecr/register_session.h"

namespace driver {

class CTillJob {
 public:
  CTillJob(CRegisterSession& session, CRegisterCommands& commands, const CDocumentJob& files)
      : m_Session(session), m_Commands(commands), m_Files(files), m_Ecr(session.Register()) {}

  void DoTillJob();

 private:
  // Where a document's run goes on after an earlier run was interrupted: the element to start from,
  // or nothing when the job has been answered (or left) already.
  std::optional<int> ResolveInterruptedJob(const CJobRecord& record, const CJobProgress& progress);
  std::optional<int> ResolveReceipt(const CJobRecord& record, const std::vector<std::string>& tags,
                                    const CJobProgress& progress);
  std::optional<int> ResolveZeroSet(const CJobRecord& record, const CJobProgress& progress);
  void CompleteReply(std::int32_t code);
  // Runs the document's elements from the given one on, then answers.
  void RunDocument(const CJobProgress& progress, int from);
  // The reply, made so that a driver killed at any instant leaves it whole or resolvable, then the
  // document and its record removed.
  void FinishTicket(const CJobProgress& progress, std::int32_t code);
  // Warning lines of code 0 for the elements first..last, as their run would have written them.
  void WarnDone(int first, int last);
  void WriteReply(std::int32_t code);

  CRegisterSession& m_Session;
  CRegisterCommands& m_Commands;
  const CDocumentJob& m_Files;
  CEcrContext& m_Ecr;
};

}  // namespace driver
