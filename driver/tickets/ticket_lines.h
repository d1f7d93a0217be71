#pragma once
// Reads the records of a ticket: one record per line, a two-character code then the data.
// Empty lines and lines starting with "/" are skipped; the code "99" ends the ticket.

#include <optional>
#include <string>
#include <string_view>

namespace driver {

// The longest line the reader takes whole, its line end included. A longer line is rejected as a
// whole rather than cut into pieces: a piece would otherwise be read as a record of its own.
inline constexpr std::size_t kMaxTicketLine = 1998;

// The largest ticket taken (a real ticket is a few KB); a larger one is rejected without being read.
inline constexpr std::size_t kMaxTicketBytes = 1024 * 1024;

// Why a record is rejected before it reaches the translator.
enum class RecordFault {
  None,
  TooLong,  // the line exceeded kMaxTicketLine
  NulByte,  // a NUL byte, which would cut the record short on its way to the register
};

struct TicketRecord {
  std::string_view code;  // first two characters, trailing blanks removed
  std::string_view data;  // everything after the first two characters, unchanged
  int lineNumber = 0;
  RecordFault fault = RecordFault::None;
};

// The reason of a fault, as qor-ticket explains a rejected line.
std::string RecordFaultReason(RecordFault fault);

class CTicketLines {
 public:
  explicit CTicketLines(std::string_view text) : m_Text(text) {}

  // The next record, or nothing at the end of the ticket (end of text or the "99" record).
  std::optional<TicketRecord> Next();

 private:
  std::string_view m_Text;
  std::size_t m_Position = 0;
  int m_LineNumber = 0;
  bool m_Ended = false;
};

}  // namespace driver
