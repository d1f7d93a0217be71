#pragma once
// A ticket's job as the intake hands it to the jobs: its command document and the files its run
// answers in. The intake makes it, the job thread runs it; neither side knows the other.

#include <cstdint>
#include <string>

namespace driver {

inline constexpr std::int32_t kJobTicketDocument = 1234;

struct CDocumentJob {
  static constexpr std::int32_t kCode = kJobTicketDocument;
  std::string m_DocumentPath;   // ".xmm"
  std::string m_ReplyWorkPath;  // ".mag"
  std::string m_WarningPath;    // ".inf"
  std::string m_ReplyPath;      // ".rep"
};

// A ticket's reply has its name: what the shop's status report counts.
struct CTicketAnswer {
  std::int32_t m_EcrId = 0;
  std::string m_ReplyPath;
  std::int32_t m_Code = 0;
};

}  // namespace driver
