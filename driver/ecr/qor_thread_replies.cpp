#include "driver/ecr/qor_thread.h"
#include "driver/ecr/reply_files.h"

// The job's writers. Once the register's context is cancelled at shutdown they write nothing, so a
// job interrupted there leaves no reply that would claim an outcome.

namespace driver {

void CQorThread::WriteWarning(std::int32_t code) {
  if (!Cancelled()) AppendWarningLine(m_WarningPath, m_ElementCount - 1, code);
}

void CQorThread::WriteReplyString(const std::string& text) {
  if (!Cancelled()) AppendReplyText(m_ReplyWorkPath, text);
}

void CQorThread::WriteReply(std::int32_t code) {
  if (!Cancelled()) FinishReply(m_ReplyWorkPath, m_ReplyPath, code);
}

}  // namespace driver
