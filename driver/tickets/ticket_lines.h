#pragma once
// Reads the records of a ticket: one record per line, a two-character code then the data.
// Empty lines and lines starting with "/" are skipped; the code "99" ends the ticket. Each record is
// decoded from the ticket's encoding to UTF-8 as it is read, so codes, data and lengths are counted in
// characters; a record whose bytes are no text of that encoding is marked.

#include <optional>
#include <string>
#include <string_view>

#include "platform/text_encoding.h"

namespace driver {

// The longest line the reader takes, in characters, its line end not counted. A longer line is
// rejected as a whole rather than cut into pieces: a piece would otherwise be read as a record of its own.
inline constexpr std::size_t kMaxTicketLine = 1998;

// The largest ticket taken (a real ticket is a few KB); a larger one is rejected without being read.
inline constexpr std::size_t kMaxTicketBytes = 1024 * 1024;

// Why a record is rejected before it reaches the translator.
enum class RecordFault {
  None,
  TooLong,  // the line exceeded kMaxTicketLine
  NulByte,  // a NUL byte, which would cut the record short on its way to the register
  BadText,  // a byte that is no character of the ticket's encoding
};

// A record's views stay valid until the next call of Next.
struct TicketRecord {
  std::string_view code;  // first two characters, trailing blanks removed (UTF-8)
  std::string_view data;  // everything after the first two characters, unchanged (UTF-8)
  int lineNumber = 0;
  RecordFault fault = RecordFault::None;
  int badColumn = 0;               // BadText: the character position (from 1) of the byte on its line
  unsigned char badByte = 0;       // BadText: that byte
};

// The reason of a record's fault, as the log and qor-ticket explain a rejected line.
std::string RecordFaultReason(const TicketRecord& record, const platform::CTextEncoding& encoding);

class CTicketLines {
 public:
  // The encoding must outlive the reader.
  CTicketLines(std::string_view text, const platform::CTextEncoding& encoding) : m_Text(text), m_Encoding(encoding) {}

  // The next record, or nothing at the end of the ticket (end of text or the "99" record).
  std::optional<TicketRecord> Next();

 private:
  std::string_view m_Text;
  const platform::CTextEncoding& m_Encoding;
  std::string m_Decoded;  // the current line of a code page ticket, as UTF-8
  std::size_t m_Position = 0;
  int m_LineNumber = 0;
  bool m_Ended = false;
};

}  // namespace driver
