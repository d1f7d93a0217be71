#include "emulator/status_text.h"

#include <cstdio>

namespace emulator {
namespace {

char KeyLetter(const CRegister& ecr) {
  if (!ecr.IsZeroFamily()) return ecr.m_Key;
  switch (ecr.m_Mode) {
    case 1: return 'R';
    case 3: return 'Z';
    case 4: return 'P';
    default: return 'X';
  }
}

std::string Element(const char* name, const std::string& value) {
  return std::string("<") + name + ">" + value + "</" + name + ">";
}

std::string FlagText(bool on) { return on ? "1" : "0"; }

}  // namespace

std::string HelloCode(const CRegister& ecr) {
  char code[16];
  std::snprintf(code, sizeof code, "QCM%05d", (ecr.m_Number * 7919 + 1234) % 100000);
  return code;
}

std::string HelloSuffix(const CRegister& ecr) { return "S" + std::to_string(ecr.m_Type % 10); }

int StatusCode(const CRegister& ecr) {
  return (ecr.m_Faults.m_GenericError ? 1 : 0) | (ecr.m_Faults.m_PaperOut ? 2 : 0) |
         (ecr.m_Faults.m_NotOperating ? 4 : 0) | (ecr.m_TransientError != 0 ? 8 : 0);
}

std::string HelloText(const CRegister& ecr) {
  char head[32];
  std::snprintf(head, sizeof head, "%c%c-%c%04d%03d", KeyLetter(ecr), ecr.m_ProgrammingTaken ? 'C' : '-',
                ecr.ProgrammingAllowed() ? '.' : '-', ecr.m_Number % 10000, StatusCode(ecr));
  char model[32];
  std::snprintf(model, sizeof model, "%-19s", ("QOR EMULATOR T" + std::to_string(ecr.m_Type)).c_str());
  std::string hello = std::string(head) + model;
  if (!ecr.IsZeroFamily() && ecr.m_HelloCodeSent) hello += HelloCode(ecr) + "---" + HelloSuffix(ecr);
  return hello;
}

std::string OperatingText(const CRegister& ecr) {
  if (!ecr.IsOperating()) return "0";
  return ecr.InSalesState() ? "2" : "1";
}

std::string StatusText(const CRegister& ecr) {
  std::string text = "#" + Element("HELLO", HelloText(ecr));
  text += Element("TICKETOPEN", FlagText(ecr.m_TicketOpen));
  text += Element("GENERICERROR", FlagText(ecr.m_Faults.m_GenericError));
  text += Element("OPERATING", OperatingText(ecr));
  text += Element("PAPEROUT", FlagText(ecr.m_Faults.m_PaperOut));
  if (ecr.IsZeroFamily()) text += Element("REMOTE", FlagText(ecr.m_Faults.m_Remote));
  text += Element("KEYLOCKED", FlagText(ecr.m_KeyLocked));
  return text;
}

std::uint64_t StatusInputs(const CRegister& ecr) {
  const bool flags[] = {ecr.m_TicketOpen,          ecr.m_ProgrammingTaken,       ecr.m_HelloCodeSent,
                        ecr.m_KeyLocked,           ecr.m_TransientError != 0,    ecr.m_Faults.m_GenericError,
                        ecr.m_Faults.m_PaperOut,   ecr.m_Faults.m_NotOperating,  ecr.m_Faults.m_Remote};
  std::uint64_t inputs = 0;
  for (bool flag : flags) inputs = inputs << 1 | (flag ? 1 : 0);
  inputs = inputs << 8 | static_cast<unsigned char>(ecr.m_Key);
  return inputs << 32 | static_cast<std::uint32_t>(ecr.m_Mode);
}

std::string CountersText(const CRegister& ecr) {
  return "#" + Element("RECEIPTNO", std::to_string(ecr.m_ReceiptNumber)) +
         Element("CLOSURENO", std::to_string(ecr.m_FiscalClosures)) + Element("ZEROSETNO", std::to_string(ecr.m_ZeroSets));
}

std::string RegisterListText(const std::vector<std::pair<int, int>>& numbersAndTypes) {
  std::string text = "#";
  for (const auto& [number, type] : numbersAndTypes)
    text += Element("IDECR", std::to_string(number)) + Element("TYPE", std::to_string(type));
  return text;
}

}  // namespace emulator
