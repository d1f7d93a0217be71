#pragma once
// The durable record of a ticket job's progress, kept beside its command document ("x_0003.xmm" has
// "x_0003.prg"): the register's counters when the job (or one of its receipts) started, each element
// as it begins and as it ends, and the reply code just before the reply file takes its name. One line
// per step, each appended with one write, so a driver killed at any instant leaves whole lines only.
// The record goes with the document once the reply is given. A driver that starts finds the documents
// left without a reply and their records, and resolves each from the record and the register's own
// state.
//
//   start <receipts> <closures> <zero-sets>          the register's counters; "-" when it could not tell
//   begin <element index> <tag> <warnings> <reply>   the element is about to be sent
//   done <element index> <code> <warnings> <reply>   the element has ended with that code
//   reply <code> <warnings> <reply>                  the reply file is being made with that code
//
// <warnings> and <reply> are the lengths of the warning file and the reply's work file at that step,
// so that a run taken up again after a power cut finds them as they were (records of older versions
// lack them).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_error.h"

namespace driver {

struct CRegisterCounters {
  std::int64_t m_Receipts = -1;  // receipts closed; -1 unknown
  std::int64_t m_Closures = -1;  // fiscal closures
  std::int64_t m_ZeroSets = -1;  // zero-sets
  bool Known() const { return m_Receipts >= 0 && m_Closures >= 0 && m_ZeroSets >= 0; }
};

// The counters of the register's answer to the counters request; unknown where a value is missing.
CRegisterCounters ParseRegisterCounters(const std::string& text);

// The lengths of the warning file and the reply's work file; -1 where unknown.
struct CReplyLengths {
  std::int64_t m_Warnings = -1;
  std::int64_t m_Reply = -1;
};

struct CJobRecord {
  CRegisterCounters m_AtStart;  // at the last "start": the job's, or its latest receipt's
  struct CElement {
    int m_Index = 0;
    std::string m_Tag;                // the element's tag, "<SELLITEM>"
    std::optional<std::int32_t> m_Code;  // set once it ended
    CReplyLengths m_Before;           // as it began
    CReplyLengths m_After;            // as it ended
  };
  std::vector<CElement> m_Elements;  // in the order they began
  std::optional<std::int32_t> m_Reply;
  CReplyLengths m_AtReply;

  // The element that began last, if any.
  const CElement* Last() const { return m_Elements.empty() ? nullptr : &m_Elements.back(); }
};

class CJobProgress {
 public:
  // documentPath ends with ".xmm"; the record is ProgressPathOf it.
  explicit CJobProgress(const std::string& documentPath);

  const std::string& Path() const { return m_Path; }
  // What an earlier run of the job recorded; nothing when it left no record.
  std::optional<CJobRecord> Read() const;

  // Each step appends its line; false (logged, and nothing of the line left) when it could not.
  platform::SystemError Start(const CRegisterCounters& counters) const;
  platform::SystemError Begin(int index, const std::string& tag, const CReplyLengths& lengths) const;
  platform::SystemError Done(int index, std::int32_t code, const CReplyLengths& lengths) const;
  platform::SystemError Reply(std::int32_t code, const CReplyLengths& lengths) const;
  void Remove() const;

 private:
  platform::SystemError Append(const std::string& line) const;

  std::string m_Path;
};

}  // namespace driver
