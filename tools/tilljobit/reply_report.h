#pragma once
// Reads what the driver left for a ticket and turns it into TillJobIt's output and exit code.
//
// The reply file holds zero or more text lines and, last, the ticket's result code; the warning file
// one "%3d%5d" line (element index, code) per warning; a ".err" file is the ticket kept after a
// rejected record.

#include <string>
#include <vector>

#include "tools/tilljobit/ticket_drop.h"

namespace tools {

struct ReplyOutcome {
  int m_Code = 0;
  std::vector<std::string> m_ReplyLines;  // the text lines before the code
  std::vector<std::string> m_Warnings;    // the warning file's lines
  bool m_Rejected = false;                // a ".err" file is there
};

// 0 and the outcome, or nonzero with a reason when the reply file cannot be read or has no code.
int ReadReply(const DroppedTicket& ticket, ReplyOutcome& outcome, std::string& reason);

// "warning: ..." per warning line whose code is not 0, one "elements done: N" for the lines with code 0,
// "reply: ..." per reply text line, "rejected: <.err path>" when rejected, and "code: N" last; each
// line ends with "\n".
std::string FormatOutcome(const DroppedTicket& ticket, const ReplyOutcome& outcome);

// The process exit code for a result code: the code itself when it lies in 0..255, else 255, so a large
// code is never mistaken for success.
int ExitCodeFor(int replyCode);

}  // namespace tools
