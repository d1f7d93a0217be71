#include "emulator/star_family.h"

#include <functional>
#include <vector>

#include "emulator/amounts.h"
#include "emulator/reports.h"
#include "emulator/status_text.h"

namespace emulator {
namespace {

using Host = ICommandHost;
constexpr int kStarDepartments = 12;
constexpr const char* kTableSummaryCommand = "0;*2;#S141;*3;";

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }
bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string TrimLeft(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : text.substr(first);
}

// "*S0<field>Q<number>B<body>QK"
struct CDepartmentField {
  char m_Field = 0;
  int m_Number = 0;
  std::string m_Body;
};

std::optional<CDepartmentField> ParseDepartmentField(const std::string& text) {
  if (!StartsWith(text, "*S0") || text.size() < 9 || text[4] != 'Q' || !EndsWith(text, "QK")) return std::nullopt;
  if (std::string("12456").find(text[3]) == std::string::npos) return std::nullopt;
  const std::size_t separator = text.find('B', 5);
  if (separator == std::string::npos || separator + 1 > text.size() - 2) return std::nullopt;
  const auto number = ParseNumber(text.substr(5, separator - 5));
  if (!number) return std::nullopt;
  return CDepartmentField{text[3], *number, text.substr(separator + 1, text.size() - 2 - separator - 1)};
}

bool IsHeaderLine(const std::string& text) {
  return text.size() >= 8 && StartsWith(text, "*S3") && text[3] >= '0' && text[3] <= '5' && text[4] == 'Q' &&
         text[5] == '$' && EndsWith(text, "$K");
}

bool IsHeaderConfirm(const std::string& text) {
  if (text.size() != 7 || !StartsWith(text, "*S") || text[6] != 'K') return false;
  for (int i = 2; i < 6; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

CCommandOutcome NeedKeyP(const CRegister& ecr) {
  return ecr.m_Key == 'P' ? CCommandOutcome{} : Refuse("key not at P");
}

CCommandOutcome SwitchKey(CRegister& ecr, char letter) {
  if (ecr.m_TicketOpen && letter != ecr.m_Key) return Refuse("receipt open");
  if (letter != 'P') {
    ecr.m_PluSession = false;
    ecr.m_HasPendingPlu = false;
    ecr.m_HeaderSession = false;
    ecr.m_ProgrammingTaken = false;
  }
  ecr.m_Key = letter;
  return {};
}

CCommandOutcome ClearDisplay(CRegister& ecr) {
  ecr.m_ProgrammingTaken = false;
  ecr.m_HasPendingPlu = false;
  ecr.m_HeaderStaged = false;
  ecr.m_HeaderComplete = false;
  ecr.m_TransientError = 0;
  ecr.m_CustomerDisplay.clear();
  ecr.m_OperatorDisplay.clear();
  return {};
}

CCommandOutcome SetDepartmentField(CRegister& ecr, const std::string& text, Host& host) {
  if (auto keyP = NeedKeyP(ecr); keyP.m_Refused) return keyP;
  const auto field = ParseDepartmentField(text);
  if (!field || field->m_Number < 1 || field->m_Number > kStarDepartments) return Refuse("department number");
  CDepartment& department = ecr.m_Departments[field->m_Number];
  const std::string number = std::to_string(field->m_Number);
  if (field->m_Field == '1') {
    if (field->m_Body.size() < 2 || field->m_Body.front() != '$' || field->m_Body.back() != '$')
      return Refuse("department description");
    department.m_Description = field->m_Body.substr(1, field->m_Body.size() - 2);
    host.Print("PROGRAM DEPARTMENT " + number + " DESCRIPTION " + department.m_Description);
  } else if (field->m_Field == '4') {
    const auto tax = ParseNumber(field->m_Body);
    if (!tax || *tax > 9) return Refuse("department tax");
    department.m_Tax = *tax;
    host.Print("PROGRAM DEPARTMENT " + number + " TAX " + std::to_string(*tax));
  } else {
    // An empty LALO or HALO is no limit.
    const auto amount = field->m_Body.empty() ? std::optional<Cents>(0) : ParseAmount(field->m_Body);
    if (!amount) return Refuse("department amount");
    Cents& target = field->m_Field == '2' ? department.m_Price
                    : field->m_Field == '5' ? department.m_Lalo : department.m_Halo;
    target = *amount;
    const char* name = field->m_Field == '2' ? " PRICE " : field->m_Field == '5' ? " LALO " : " HALO ";
    host.Print("PROGRAM DEPARTMENT " + number + name + FormatCents(*amount));
  }
  ecr.m_ProgrammingTaken = true;
  return {};
}

CCommandOutcome StartPluSession(CRegister& ecr) {
  if (auto keyP = NeedKeyP(ecr); keyP.m_Refused) return keyP;
  ecr.m_PluSession = true;
  ecr.m_ProgrammingTaken = true;
  return {};
}

// "*WH0" + code (13, right-aligned) + price digits (10, right-aligned) + "0000".
CCommandOutcome PluCodeAndPrice(CRegister& ecr, const std::string& text) {
  if (!ecr.m_PluSession) return Refuse("no PLU programming");
  if (text.size() < 4 + 1 + 10 + 4 || !EndsWith(text, "0000")) return Refuse("PLU layout");
  const std::string middle = text.substr(4, text.size() - 8);
  const auto price = ParseCentsDigits(middle.substr(middle.size() - 10));
  const std::string code = TrimLeft(middle.substr(0, middle.size() - 10));
  if (!price || code.empty()) return Refuse("PLU code or price");
  ecr.m_PendingPluCode = code;
  ecr.m_PendingPluPrice = *price;
  ecr.m_HasPendingPlu = true;
  ecr.m_ProgrammingTaken = true;
  return {};
}

// "*WH1" + description (18, right-aligned) + department letter + tax digits.
CCommandOutcome PluDescription(CRegister& ecr, const std::string& text, Host& host) {
  if (!ecr.m_HasPendingPlu) return Refuse("no PLU code");
  std::size_t taxStart = text.size();
  while (taxStart > 4 && text[taxStart - 1] >= '0' && text[taxStart - 1] <= '9') --taxStart;
  if (taxStart == text.size() || taxStart < 6) return Refuse("PLU layout");
  const int department = static_cast<unsigned char>(text[taxStart - 1]) - 64;
  const auto tax = ParseNumber(text.substr(taxStart));
  if (department < 1 || department > kStarDepartments || !tax) return Refuse("PLU department or tax");
  CPlu plu;
  plu.m_Description = TrimLeft(text.substr(4, taxStart - 5));
  plu.m_Price = ecr.m_PendingPluPrice;
  plu.m_Department = department;
  plu.m_Tax = *tax;
  ecr.m_Plus[ecr.m_PendingPluCode] = plu;
  ecr.m_HasPendingPlu = false;
  host.Print("PROGRAM PLU " + ecr.m_PendingPluCode + " " + plu.m_Description + " " + FormatCents(plu.m_Price) +
             " DEPARTMENT " + std::to_string(department));
  return {};
}

CCommandOutcome EndPluSession(CRegister& ecr) {
  if (!ecr.m_PluSession) return Refuse("no PLU programming");
  ecr.m_PluSession = false;
  ecr.m_HasPendingPlu = false;
  ecr.m_ProgrammingTaken = false;
  return {};
}

CCommandOutcome StartHeader(CRegister& ecr) {
  if (auto keyP = NeedKeyP(ecr); keyP.m_Refused) return keyP;
  ecr.m_HeaderSession = true;
  ecr.m_ProgrammingTaken = true;
  return {};
}

CCommandOutcome HeaderLine(CRegister& ecr, const std::string& text) {
  if (auto keyP = NeedKeyP(ecr); keyP.m_Refused) return keyP;
  if (!ecr.m_HeaderStaged) ecr.m_StagedHeader = ecr.m_Header;
  ecr.m_StagedHeader[text[3] - '0'] = text.substr(6, text.size() - 8);
  ecr.m_HeaderStaged = true;
  ecr.m_HeaderComplete = false;
  ecr.m_ProgrammingTaken = true;
  return {};
}

CCommandOutcome EndHeader(CRegister& ecr) {
  if (auto keyP = NeedKeyP(ecr); keyP.m_Refused) return keyP;
  if (!ecr.m_HeaderStaged) return Refuse("no header lines");
  ecr.m_HeaderComplete = true;
  ecr.m_ProgrammingTaken = true;
  return {};
}

// The header takes effect only when confirmed with the register's own hello code.
CCommandOutcome ConfirmHeader(CRegister& ecr, const std::string& text, Host& host) {
  if (!ecr.m_HeaderComplete) return Refuse("header not complete");
  if (text.substr(2, 4) != HelloCode(ecr).substr(4, 4)) return Refuse("wrong hello code");
  ecr.m_Header = ecr.m_StagedHeader;
  for (std::size_t i = 0; i < ecr.m_Header.size(); ++i)
    host.Print("PROGRAM HEADER LINE " + std::to_string(i + 1) + " " + ecr.m_Header[i]);
  ecr.m_HeaderStaged = false;
  ecr.m_HeaderComplete = false;
  ecr.m_HeaderSession = false;
  ecr.m_ProgrammingTaken = false;
  return {};
}

CCommandOutcome Closure(CRegister& ecr, Host& host) {
  if (ecr.m_TicketOpen) return Refuse("receipt open");
  ecr.m_Key = 'C';
  for (const std::string& line : FiscalClosure(ecr)) host.Print(line);
  return {};
}

CCommandOutcome PrintTableSummary(CRegister& ecr, Host& host) {
  for (const std::string& line : TableSummary(ecr)) host.Print(line);
  return {};
}

struct CStarEntry {
  std::function<bool(const std::string&)> m_Matches;
  std::function<CCommandOutcome(CRegister&, const std::string&, Host&)> m_Execute;
  bool m_Prints;
};

std::function<bool(const std::string&)> Exactly(const char* command) {
  return [command](const std::string& text) { return text == command; };
}

const std::vector<CStarEntry>& StarTable() {
  using T = const std::string&;
  static const std::vector<CStarEntry> table = {
      {Exactly("*LI"), [](CRegister& e, T, Host&) { e.m_KeyLocked = true; return CCommandOutcome{}; }, false},
      {Exactly("*U"), [](CRegister& e, T, Host&) { e.m_KeyLocked = false; return CCommandOutcome{}; }, false},
      {Exactly("*Sk"), [](CRegister& e, T, Host&) { return SwitchKey(e, 'C'); }, false},
      {Exactly("*Sj"), [](CRegister& e, T, Host&) { return SwitchKey(e, 'L'); }, false},
      {Exactly("*Sl"), [](CRegister& e, T, Host&) { return SwitchKey(e, 'P'); }, false},
      {Exactly("*Si"), [](CRegister& e, T, Host&) { return SwitchKey(e, 'R'); }, false},
      {Exactly("*SZ"), [](CRegister& e, T, Host&) { return ClearDisplay(e); }, false},
      {Exactly("*SK"), [](CRegister& e, T, Host&) { return EndPluSession(e); }, false},
      {Exactly("*SkK"), [](CRegister& e, T, Host& h) { return Closure(e, h); }, true},
      {Exactly("*S11Q"), [](CRegister& e, T, Host&) { return StartPluSession(e); }, false},
      {Exactly("*S30Q"), [](CRegister& e, T, Host&) { return StartHeader(e); }, false},
      {Exactly("*S92Q"), [](CRegister& e, T, Host&) { return EndHeader(e); }, false},
      {Exactly("*I"), [](CRegister& e, T, Host&) { e.m_HelloCodeSent = true; return CCommandOutcome{}; }, false},
      {Exactly(kTableSummaryCommand), [](CRegister& e, T, Host& h) { return PrintTableSummary(e, h); }, true},
      {[](T t) { return ParseDepartmentField(t).has_value(); }, SetDepartmentField, false},
      {[](T t) { return StartsWith(t, "*WH0"); }, [](CRegister& e, T t, Host&) { return PluCodeAndPrice(e, t); }, false},
      {[](T t) { return StartsWith(t, "*WH1"); }, PluDescription, false},
      {IsHeaderLine, [](CRegister& e, T t, Host&) { return HeaderLine(e, t); }, false},
      {IsHeaderConfirm, ConfirmHeader, false},
  };
  return table;
}

const CStarEntry* FindStarEntry(const std::string& text) {
  for (const CStarEntry& entry : StarTable())
    if (entry.m_Matches(text)) return &entry;
  return nullptr;
}

}  // namespace

bool IsStarCommand(const std::string& text) { return FindStarEntry(text) != nullptr; }

bool StarCommandPrints(const std::string& text) {
  const CStarEntry* entry = FindStarEntry(text);
  return entry != nullptr && entry->m_Prints;
}

CCommandOutcome ExecuteStarCommand(CRegister& ecr, const std::string& text, ICommandHost& host) {
  const CStarEntry* entry = FindStarEntry(text);
  if (entry == nullptr) return Refuse("unknown command");
  CCommandOutcome outcome = entry->m_Execute(ecr, text, host);
  if (outcome.m_Refused) ecr.m_TransientError = 1;
  host.Checkpoint();
  return outcome;
}

}  // namespace emulator
