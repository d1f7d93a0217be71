#include "driver/ecr/job_files.h"

#include <cerrno>
#include <optional>

#include "driver/tickets/reply_files.h"
#include "driver/tickets/ticket_files.h"
#include "platform/debug_log.h"
#include "platform/folder_files.h"

namespace driver {
namespace {

std::int64_t LengthOf(const std::string& path) {
  const std::optional<platform::FileIdentity> identity = platform::IdentityOf(path);
  return identity ? identity->m_Size : 0;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

// Room for about what a document of that size can make its run write: two record lines and a warning
// line per element (an element line is longer than either), reply texts, and some to spare.
struct CRoom {
  std::int64_t m_Record, m_Warnings, m_Reply;
};
CRoom RoomFor(std::int64_t documentLength) {
  return {4 * documentLength + 4096, documentLength + 1024, 2 * documentLength + 1024};
}

// A file system that cannot set room aside still takes the job: its files are written as they come.
platform::SystemError Reserve(const std::string& path, std::int64_t bytes) {
  const platform::SystemError error = platform::ReserveRoom(path, bytes);
  return error.Number() == EOPNOTSUPP ? platform::SystemError() : error;
}

// One mark per length the record kept: before and after each element, then at the reply.
struct CMark {
  CReplyLengths m_Lengths;
  int m_Element = 0;
  std::optional<std::int32_t> m_Code;  // an element's end
};

std::vector<CMark> MarksUpTo(const CJobRecord& record, CJobFiles::CPoint point) {
  using Kind = CJobFiles::CPoint::Kind;
  std::vector<CMark> marks;
  if (point.m_Kind == Kind::kStart) return marks;
  const std::size_t last = point.m_Kind == Kind::kReply ? record.m_Elements.size() : point.m_Element + 1;
  for (std::size_t at = 0; at < last && at < record.m_Elements.size(); ++at) {
    const CJobRecord::CElement& element = record.m_Elements[at];
    marks.push_back({element.m_Before, element.m_Index, std::nullopt});
    if (at == point.m_Element && point.m_Kind == Kind::kBefore) break;
    if (element.m_Code) marks.push_back({element.m_After, element.m_Index, element.m_Code});
  }
  if (point.m_Kind == Kind::kReply) marks.push_back({record.m_AtReply, 0, std::nullopt});
  return marks;
}

}  // namespace

CJobFiles::CJobFiles(const CDocumentJob& files, platform::CFlushGroup& flushes)
    : m_Files(files),
      m_Flushes(flushes),
      m_Record(ProgressPathOf(files.m_DocumentPath)),
      m_Folder(FolderOf(files.m_DocumentPath)) {}

CReplyLengths CJobFiles::Lengths() const {
  return {LengthOf(m_Files.m_WarningPath), LengthOf(m_Files.m_ReplyWorkPath)};
}

platform::SystemError CJobFiles::SetRoomAside() const {
  for (const std::string* file : {&m_Files.m_WarningPath, &m_Files.m_ReplyWorkPath})
    if (const platform::SystemError error = platform::AppendToFile(*file, ""); error.Failed()) return error;
  const CRoom room = RoomFor(LengthOf(m_Files.m_DocumentPath));
  if (const platform::SystemError error = Reserve(m_Record, room.m_Record); error.Failed()) return error;
  if (const platform::SystemError error = Reserve(m_Files.m_WarningPath, room.m_Warnings); error.Failed()) return error;
  return Reserve(m_Files.m_ReplyWorkPath, room.m_Reply);
}

// The document's data went to the disk before it got its name (the intake's step); the warning and
// reply work files hold something only in a run taken up again.
platform::CFlushOutcome CJobFiles::FlushHead() const {
  platform::CFlushStep step{{m_Record}, {}, {m_Folder}};
  for (const std::string* file : {&m_Files.m_WarningPath, &m_Files.m_ReplyWorkPath})
    if (LengthOf(*file) > 0) step.m_Files.push_back(*file);
  return m_Flushes.Flush(std::move(step));
}

platform::CFlushOutcome CJobFiles::FlushRecord() const { return m_Flushes.Flush({{m_Record}, {}, {}}); }

platform::CFlushOutcome CJobFiles::FlushReplyText() const {
  return m_Flushes.Flush({{m_Files.m_ReplyWorkPath}, {}, {}});
}

platform::CFlushOutcome CJobFiles::GiveReply(std::int32_t code, std::int64_t replyLength) const {
  const std::string& work = m_Files.m_ReplyWorkPath;
  // Named already by an earlier try whose folder flush failed.
  if (!platform::Exists(work) && platform::Exists(m_Files.m_ReplyPath)) return m_Flushes.Flush({{}, {}, {m_Folder}});
  if (LengthOf(work) > replyLength) platform::CutFile(work, replyLength);
  if (const platform::SystemError error = platform::AppendToFile(work, std::to_string(code) + "\n"); error.Failed())
    return {error, work};
  platform::GiveBackRoom(work);
  platform::GiveBackRoom(m_Files.m_WarningPath);
  if (LengthOf(m_Files.m_WarningPath) == 0) platform::RemoveFile(m_Files.m_WarningPath);
  // The record's "reply" line too: a till may collect the reply before the document and record are
  // gone, and a cut then must not leave a record from which the ticket would be answered again.
  return m_Flushes.Flush({{m_Record, m_Files.m_WarningPath, work}, {{work, m_Files.m_ReplyPath}}, {m_Folder}});
}

void CJobFiles::Restore(const CJobRecord& record, CPoint point) const {
  const std::vector<CMark> marks = MarksUpTo(record, point);
  const CReplyLengths target = marks.empty() ? CReplyLengths{0, 0} : marks.back().m_Lengths;
  const std::string& reply = m_Files.m_ReplyWorkPath;
  if (target.m_Reply >= 0 && LengthOf(reply) > target.m_Reply) platform::CutFile(reply, target.m_Reply);
  if (target.m_Reply >= 0 && LengthOf(reply) < target.m_Reply)
    platform::DebugLog("[ZEDO] DoTillJob: [%s] lost reply text", reply.c_str());

  const std::string& warnings = m_Files.m_WarningPath;
  const std::int64_t length = LengthOf(warnings);
  if (target.m_Warnings < 0 || length == target.m_Warnings) return;
  if (length > target.m_Warnings) {
    platform::CutFile(warnings, target.m_Warnings);
    return;
  }
  // Lines were lost: back to the last mark the file still holds whole, then the line of each element
  // that ended since, from the code the record kept.
  std::size_t from = 0;
  std::int64_t keep = 0;
  for (std::size_t at = 0; at < marks.size(); ++at) {
    const std::int64_t kept = marks[at].m_Lengths.m_Warnings;
    if (kept >= 0 && kept <= length) {
      from = at + 1;
      keep = kept;
    }
  }
  if (keep < length) platform::CutFile(warnings, keep);
  std::string lines;
  for (std::size_t at = from; at < marks.size(); ++at)
    if (marks[at].m_Code) lines += WarningLine(marks[at].m_Element, *marks[at].m_Code);
  if (!lines.empty()) platform::AppendToFile(warnings, lines);
}

void CJobFiles::RemoveDocumentAndRecord() const {
  RemoveJobFile(m_Files.m_DocumentPath);
  platform::RemoveFile(m_Record);
}

}  // namespace driver
