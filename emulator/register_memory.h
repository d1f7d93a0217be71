#pragma once
// What an emulated register keeps across a power failure, as text: its memory file. A real register
// keeps its open receipt, its counters and totals, its programming and its electronic journal when the
// computer beside it fails; the emulator keeps the same in a file per register, so that a driver that
// dies and starts again meets the register as it left it. Faults are not remembered: they are caused
// from outside.
//
// One item per line: a name, then its fields, each preceded by a tab. A tab, a line end or a
// backslash inside a field is written "\t", "\n", "\r" or "\\". The first line names the format and
// the register ("memory 1 <number> <type>"), the last one is "end" (a text without it was cut short);
// between them, in any order:
//
//   key, mode, ... <value>              one line per single value (the names of MemoryText's table)
//   ticketline <text> <amount> <department> <plu code> <quantity>   the open receipt's lines
//   openreceipt <line>                  the open receipt as printed so far (memories older than
//                                       these lines have none: that receipt's copy starts later)
//   lastreceipt <line>                  the last receipt as printed, for a copy
//   header / stagedheader <n> <text>    the receipt header, and one being programmed
//   department <n> <description> <tax> <price> <lalo> <halo>
//   plu <code> <description> <price> <department> <tax> <discount> <offer> <price 1> <multiplier>
//   offer <code> <description> <price> <department> <items> <multiplier>
//   table <name> <balance> <waiter>
//   daily<kind> <key> <amount>          the day's totals by department, plu, tax, payment, waiter
//   journal <bytes> / history <bytes>   how far the journal and the history file reached
//   sequence <n>                        the number of the write
//
// Amounts are whole cents. Parsing is pure: text in, register or nothing out.

#include <cstdint>
#include <optional>
#include <string>

#include "emulator/register_state.h"

namespace emulator {

// How far the register's printing files reached when the memory was taken, and the number of the
// write (of two memory files, the higher number is the newer).
struct CPrintMarks {
  std::uint64_t m_JournalBytes = 0;
  std::uint64_t m_HistoryBytes = 0;
  std::uint64_t m_Sequence = 0;
};

struct CRememberedRegister {
  CRegister m_Register;
  CPrintMarks m_Marks;
};

// The memory text of a register. Its history is not in it (it has a file of its own).
std::string MemoryText(const CRegister& ecr, const CPrintMarks& marks);

// The register a memory text describes, with its faults and history empty; nothing when the text is not
// a memory of this format or holds a line it cannot read.
std::optional<CRememberedRegister> ParseMemoryText(const std::string& text);

// One history line as the history file holds it (escaped, with its line end), and back.
std::string HistoryFileLine(const std::string& line);
std::string HistoryLineOf(const std::string& fileLine);

}  // namespace emulator
