#include "driver/tickets/ticket_lines.h"

#include "platform/debug_log.h"

namespace driver {

std::string RecordFaultReason(RecordFault fault) {
  switch (fault) {
    case RecordFault::TooLong: return "line longer than " + std::to_string(kMaxTicketLine) + " characters";
    case RecordFault::NulByte: return "NUL byte in the record";
    case RecordFault::None: break;
  }
  return {};
}

std::optional<TicketRecord> CTicketLines::Next() {
  while (!m_Ended && m_Position < m_Text.size()) {
    std::size_t newline = m_Text.find('\n', m_Position);
    std::size_t stop = newline == std::string_view::npos ? m_Text.size() : newline;
    std::size_t lengthWithEnd = (newline == std::string_view::npos ? stop : stop + 1) - m_Position;
    std::string_view line = m_Text.substr(m_Position, stop - m_Position);
    m_Position = newline == std::string_view::npos ? m_Text.size() : newline + 1;
    ++m_LineNumber;
    // A carriage return directly before the line feed belongs to the line end.
    if (newline != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);

    if (line.empty() || line.front() == '/') continue;
    TicketRecord record;
    record.lineNumber = m_LineNumber;
    if (lengthWithEnd > kMaxTicketLine) record.fault = RecordFault::TooLong;
    else if (line.find('\0') != std::string_view::npos) record.fault = RecordFault::NulByte;
    record.code = line.substr(0, 2);
    while (!record.code.empty() && (record.code.back() == ' ' || record.code.back() == '\t'))
      record.code.remove_suffix(1);
    record.data = line.size() > 2 ? line.substr(2) : std::string_view();
    if (record.code == "99") {
      platform::DebugLog("Record 99(EOF) encountered!");
      m_Ended = true;
      return std::nullopt;
    }
    return record;
  }
  return std::nullopt;
}

}  // namespace driver
