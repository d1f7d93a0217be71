#pragma once
// The durable record of a ticket job's progress, kept beside its command document ("x_0003.xmm" has
// "x_0003.prg"): the register's counters when the job started, each element as it begins and as it
// ends, and the reply code just before the reply file takes its name. One line per step, each
// appended with one write, so a driver killed at any instant leaves whole lines only. The record goes
// with the document once the reply is given. A driver that starts finds the documents left without a
// reply and their records, and resolves each from the record and the register's own state.
//
//   start <receipts> <closures> <zero-sets>   the register's counters; "-" when it could not tell
//   begin <element index> <tag>               the element is about to be sent
//   done <element index> <code>               the element has ended with that code
//   reply <code>                              the reply file is being made with that code

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace driver {

struct CRegisterCounters {
  std::int64_t m_Receipts = -1;  // receipts closed; -1 unknown
  std::int64_t m_Closures = -1;  // fiscal closures
  std::int64_t m_ZeroSets = -1;  // zero-sets
  bool Known() const { return m_Receipts >= 0 && m_Closures >= 0 && m_ZeroSets >= 0; }
};

// The counters of the register's answer to the counters request; unknown where a value is missing.
CRegisterCounters ParseRegisterCounters(const std::string& text);

struct CJobRecord {
  CRegisterCounters m_AtStart;
  struct CElement {
    int m_Index = 0;
    std::string m_Tag;                // the element's tag, "<SELLITEM>"
    std::optional<std::int32_t> m_Code;  // set once it ended
  };
  std::vector<CElement> m_Elements;  // in the order they began
  std::optional<std::int32_t> m_Reply;

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

  void Start(const CRegisterCounters& counters) const;
  void Begin(int index, const std::string& tag) const;
  void Done(int index, std::int32_t code) const;
  void Reply(std::int32_t code) const;
  void Remove() const;

 private:
  void Append(const std::string& line) const;

  std::string m_Path;
};

}  // namespace driver
