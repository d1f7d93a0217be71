#pragma once
// A ticket job's files on the disk, and what a power cut may do to them. The register's memory
// survives a cut; the driver's files are only as recent as the disk holds them. So nothing reaches the
// register before the job can account for it: before the first command of a run, the document, the
// head of the record and the folder's names (the ticket's removal among them) are flushed together
// (FlushHead); before a later element that the register's own state cannot place (the start of
// another receipt, a zero-set, a report, a raw command), the record's lines are (FlushRecord). A reply
// is on the disk before it gets its name, and its name before the document and record go
// (GiveReply). Room for the record and the reply is set aside before the first command, so that a disk
// filling up while the register prints cannot keep the reply from being written.
//
// A run taken up after a cut may find the warning and reply work files shorter or longer than its
// record says, since the disk writes each file back on its own: Restore brings them back to a point
// of the record and writes again, from the codes the record kept, the warning lines the cut lost.

#include <cstdint>
#include <string>
#include <vector>

#include "driver/ecr/job_order.h"
#include "driver/ecr/job_progress.h"
#include "platform/flush_group.h"

namespace driver {

class CJobFiles {
 public:
  CJobFiles(const CDocumentJob& files, platform::CFlushGroup& flushes);

  const std::string& RecordPath() const { return m_Record; }
  // The warning file's and the reply work file's lengths now (0 for a file that is not there).
  CReplyLengths Lengths() const;

  // Makes the warning and reply work files and sets room aside in them and in the record (where the
  // file system cannot set room aside, nothing is set aside).
  platform::SystemError SetRoomAside() const;
  platform::CFlushOutcome FlushHead() const;
  platform::CFlushOutcome FlushRecord() const;
  // Reply texts on the disk before the record says their element ended.
  platform::CFlushOutcome FlushReplyText() const;
  // The reply: its code after the first replyLength bytes of the work file, the room not used given
  // back, the data flushed, the work file named ".rep" and the folder flushed. A warning file that
  // holds nothing goes, as if never written.
  platform::CFlushOutcome GiveReply(std::int32_t code, std::int64_t replyLength) const;

  // A point of the record: the lengths as an element began or ended, or as the reply was begun.
  struct CPoint {
    enum class Kind { kStart, kBefore, kAfter, kReply } m_Kind = Kind::kStart;
    std::size_t m_Element = 0;  // position in the record's elements
  };
  // Brings both files back to what they held at the point.
  void Restore(const CJobRecord& record, CPoint point) const;

  void RemoveDocumentAndRecord() const;

 private:
  const CDocumentJob& m_Files;
  platform::CFlushGroup& m_Flushes;
  std::string m_Record;
  std::string m_Folder;
};

}  // namespace driver
