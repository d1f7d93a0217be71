#include "driver/tickets/ticket_lines.h"

#include <cstdio>

#include "platform/debug_log.h"

namespace driver {
namespace {

// The characters of the line before the byte at that offset: in a code page every byte is one.
std::size_t CharactersBefore(std::string_view line, std::size_t offset, const platform::CTextEncoding& encoding) {
  return encoding.IsUtf8() ? platform::Utf8Length(line.substr(0, offset)) : offset;
}

}  // namespace

std::string RecordFaultReason(const TicketRecord& record, const platform::CTextEncoding& encoding) {
  switch (record.fault) {
    case RecordFault::TooLong: return "line longer than " + std::to_string(kMaxTicketLine) + " characters";
    case RecordFault::NulByte: return "NUL byte in the record";
    case RecordFault::BadText: {
      char byte[8];
      std::snprintf(byte, sizeof byte, "0x%02X", record.badByte);
      return "byte " + std::string(byte) + " at column " + std::to_string(record.badColumn) + " is no " +
             encoding.Name() + " text";
    }
    case RecordFault::None: break;
  }
  return {};
}

std::optional<TicketRecord> CTicketLines::Next() {
  while (!m_Ended && m_Position < m_Text.size()) {
    std::size_t newline = m_Text.find('\n', m_Position);
    std::size_t stop = newline == std::string_view::npos ? m_Text.size() : newline;
    std::string_view line = m_Text.substr(m_Position, stop - m_Position);
    m_Position = newline == std::string_view::npos ? m_Text.size() : newline + 1;
    ++m_LineNumber;
    // A carriage return directly before the line feed belongs to the line end.
    if (newline != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);

    if (line.empty() || line.front() == '/') continue;
    TicketRecord record;
    record.lineNumber = m_LineNumber;
    std::size_t badOffset = 0;
    bool decoded = true;
    if (!m_Encoding.IsUtf8()) {
      decoded = m_Encoding.ToUtf8(line, m_Decoded, badOffset);
    } else if (!platform::IsAscii(line)) {
      const std::optional<std::size_t> bad = platform::FirstInvalidUtf8(line);
      decoded = !bad;
      badOffset = bad.value_or(0);
    }
    if (!decoded) {
      record.fault = RecordFault::BadText;
      record.badByte = static_cast<unsigned char>(line[badOffset]);
      record.badColumn = static_cast<int>(CharactersBefore(line, badOffset, m_Encoding)) + 1;
      return record;
    }
    if (!m_Encoding.IsUtf8()) line = m_Decoded;
    if (line.size() > kMaxTicketLine && platform::Utf8Length(line) > kMaxTicketLine) record.fault = RecordFault::TooLong;
    else if (line.find('\0') != std::string_view::npos) record.fault = RecordFault::NulByte;
    const std::string_view head = platform::Utf8Prefix(line, 2);
    record.data = line.substr(head.size());
    record.code = head;
    while (!record.code.empty() && (record.code.back() == ' ' || record.code.back() == '\t'))
      record.code.remove_suffix(1);
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
