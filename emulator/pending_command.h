#pragma once
// One call waiting for the emulator's worker, and the rule that holds it back.

#include <cstdint>
#include <string>

#include "emulator/register_state.h"

namespace emulator {

enum class CommandKind { kWrite, kIODirect, kReport, kZeroSet, kHistory, kRollback };

struct CPendingCommand {
  int m_Ecr = 0;
  CommandKind m_Kind = CommandKind::kIODirect;
  std::string m_Text;
  std::int32_t m_Job = 0;    // Write
  int m_Code = 0;            // report or zero-set kind
  bool m_Print = false;      // report or zero-set on paper
  bool m_Prints = false;     // needs paper and a register without error
  bool m_Unknown = false;    // refused on arrival (203); journalled, never completed
};

// A register that is not operating or does not answer takes nothing; paper out and a generic error
// hold whatever prints. Held commands run, in order, once the register is back.
inline bool IsHeld(const CPendingCommand& command, const CRegister& ecr) {
  if (ecr.m_Faults.m_NotOperating || ecr.m_Faults.m_NoAnswer) return true;
  return command.m_Prints && (ecr.m_Faults.m_PaperOut || ecr.m_Faults.m_GenericError);
}

}  // namespace emulator
