#include "driver/status/summary_line.h"

namespace driver {
namespace {

std::string Counted(long long count, const char* one, const char* many) {
  return GroupedNumber(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string GroupedNumber(long long number) {
  std::string digits = std::to_string(number < 0 ? -number : number);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
  return number < 0 ? "-" + digits : digits;
}

std::string SummaryLine(const CDriverStatus& status) {
  std::string line = Counted(static_cast<long long>(status.m_Registers.size()), "register", "registers");
  const char* separator = ": ";
  long long tickets = 0;
  for (RegisterState state : kRegisterStates) {
    long long inState = 0;
    for (const CRegisterStatus& ecr : status.m_Registers) inState += ecr.m_State == state ? 1 : 0;
    if (inState == 0) continue;
    line += separator + GroupedNumber(inState) + " " + std::string(RegisterStateWords(state));
    separator = ", ";
  }
  for (const CRegisterStatus& ecr : status.m_Registers) tickets += TicketsToday(ecr);
  return line + "; " + Counted(tickets, "ticket today", "tickets today");
}

}  // namespace driver
