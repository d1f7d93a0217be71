#include "emulator/zero_family.h"

#include <functional>
#include <vector>

#include "emulator/amounts.h"
#include "emulator/reports.h"

namespace emulator {
namespace {

using Host = ICommandHost;
using Taker = bool (*)(CRegister&, const std::string&);
constexpr int kMaxUploadLines = 100000;
constexpr int kZeroDepartments = 99;
constexpr const char* kLastTotalCommand = "%S%";

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
    parts.push_back(text.substr(start, at - start));
  parts.push_back(text.substr(start));
  return parts;
}

std::vector<std::string> Tokens(const std::string& text) {
  std::vector<std::string> tokens;
  for (std::string& token : Split(text, ';'))
    if (!token.empty()) tokens.push_back(std::move(token));
  return tokens;
}

// A colon-separated line of a known field count; extra colons belong to the description field.
std::optional<std::vector<std::string>> Fields(const std::string& line, std::size_t count, std::size_t description) {
  std::vector<std::string> fields = Split(line, ':');
  if (fields.size() < count) return std::nullopt;
  while (fields.size() > count) {
    fields[description] += ":" + fields[description + 1];
    fields.erase(fields.begin() + static_cast<long>(description) + 1);
  }
  return fields;
}

std::optional<Cents> OptionalCents(const std::string& text) {
  return text.empty() ? std::optional<Cents>(0) : ParseCentsDigits(text);
}

bool IsModeToken(const std::string& token) {
  return token.size() == 2 && token[0] == '+' && token[1] >= '0' && token[1] <= '6';
}

bool IsKnownToken(const std::string& token) {
  static const std::vector<std::string> plain = {"0", "*2", "*3", "*4", "#Z", "#a", "#S141", "#S3:3", "*F", "*G", "*L", "*T"};
  for (const std::string& known : plain)
    if (token == known) return true;
  return IsModeToken(token) || token.rfind("(T", 0) == 0 || token.rfind(">T", 0) == 0;
}

CCommandOutcome Upload(CRegister& ecr, const std::string& question, Taker take, Host& host) {
  if (ecr.m_Mode != 4) return Refuse("not in programming mode");
  int taken = 0;
  int rejected = 0;
  bool interrupted = false;
  for (int asked = 0; asked < kMaxUploadLines; ++asked) {
    const std::optional<std::string> reply = host.Ask(question);
    if (!reply) {
      host.Print("UPLOAD " + question + " INTERRUPTED");
      interrupted = true;
      break;
    }
    if (*reply == "*") break;
    if (take(ecr, *reply)) {
      ++taken;
      host.Print("UPLOAD " + question + " LINE " + *reply);
    } else {
      ++rejected;
      host.Print("UPLOAD " + question + " REJECTED LINE " + *reply);
    }
  }
  host.Print("UPLOAD " + question + " LINES " + std::to_string(taken) + " REJECTED " + std::to_string(rejected));
  // The lines taken stay programmed; the upload as a whole is refused, so nobody counts it as done.
  if (interrupted) return Refuse("upload " + question + " interrupted");
  if (rejected > 0) return Refuse(std::to_string(rejected) + " upload lines rejected", kResultBadValue);
  return {};
}

// The header arrives as "A:l1:l2:l3" and "B:l4:l5:l6"; it takes effect with "#a".
bool TakeHeaderLine(CRegister& ecr, const std::string& line) {
  const auto fields = Fields(line, 4, 3);
  if (!fields || ((*fields)[0] != "A" && (*fields)[0] != "B")) return false;
  if (!ecr.m_HeaderStaged) ecr.m_StagedHeader = ecr.m_Header;
  const std::size_t first = (*fields)[0] == "A" ? 0 : 3;
  for (std::size_t i = 0; i < 3; ++i) ecr.m_StagedHeader[first + i] = (*fields)[i + 1];
  ecr.m_HeaderStaged = true;
  return true;
}

CCommandOutcome AcceptHeader(CRegister& ecr, Host& host) {
  if (!ecr.m_HeaderStaged) return Refuse("no header fetched");
  ecr.m_Header = ecr.m_StagedHeader;
  ecr.m_HeaderStaged = false;
  for (std::size_t i = 0; i < ecr.m_Header.size(); ++i)
    host.Print("PROGRAM HEADER LINE " + std::to_string(i + 1) + " " + ecr.m_Header[i]);
  return {};
}

CCommandOutcome SwitchMode(CRegister& ecr, int mode) {
  if (ecr.m_TicketOpen && mode != ecr.m_Mode) return Refuse("receipt open");
  ecr.m_Mode = mode;
  return {};
}

CCommandOutcome Closure(CRegister& ecr, Host& host) {
  if (ecr.m_Mode != 3) return Refuse("not in closure mode");
  if (ecr.m_TicketOpen) return Refuse("receipt open");
  for (const std::string& line : FiscalClosure(ecr)) host.Print(line);
  return {};
}

CCommandOutcome ShowOnDisplay(CRegister& ecr, const std::string& token) {
  if (ecr.m_Faults.m_Remote) return Refuse("remote mode");
  const std::size_t first = token.find_first_not_of(' ', 2);
  (token[0] == '(' ? ecr.m_CustomerDisplay : ecr.m_OperatorDisplay) =
      first == std::string::npos ? std::string() : token.substr(first);
  return {};
}

CCommandOutcome ClearError(CRegister& ecr) {
  ecr.m_TransientError = 0;
  ecr.m_HeaderStaged = false;
  return {};
}

CCommandOutcome RunToken(CRegister& ecr, const std::string& token, Host& host) {
  if (token == "0") return {};
  if (token == "*2") return ecr.m_KeyLocked = true, CCommandOutcome{};
  if (token == "*3") return ecr.m_KeyLocked = false, CCommandOutcome{};
  if (token == "*4") return ClearError(ecr);
  if (IsModeToken(token)) return SwitchMode(ecr, token[1] - '0');
  if (token == "#Z") return Closure(ecr, host);
  if (token == "#a") return AcceptHeader(ecr, host);
  if (token == "#S3:3") return ecr.m_CustomerDisplay.clear(), ecr.m_OperatorDisplay.clear(), CCommandOutcome{};
  if (token == "#S141") {
    for (const std::string& line : TableSummary(ecr)) host.Print(line);
    return {};
  }
  if (token == "*F") return Upload(ecr, "B80", TakeDepartmentLine, host);
  if (token == "*G") return Upload(ecr, "B81", TakePluLine, host);
  if (token == "*L") return Upload(ecr, "B84", TakeOfferLine, host);
  if (token == "*T") return Upload(ecr, "B85", TakeHeaderLine, host);
  return ShowOnDisplay(ecr, token);
}

CCommandOutcome AnswerLastTotal(CRegister& ecr, Host& host) {
  host.Ask("D01 " + std::to_string(ecr.m_LastTotal) + ":" + std::to_string(ecr.m_ReceiptNumber));
  return {};
}

}  // namespace

bool IsZeroCommand(const std::string& text) {
  if (text == kLastTotalCommand) return true;
  const std::vector<std::string> tokens = Tokens(text);
  if (tokens.empty() || tokens.front() != "0") return false;
  for (const std::string& token : tokens)
    if (!IsKnownToken(token)) return false;
  return true;
}

bool ZeroCommandPrints(const std::string& text) {
  for (const std::string& token : Tokens(text))
    if (token == "#Z" || token == "#S141") return true;
  return false;
}

CCommandOutcome ExecuteZeroCommand(CRegister& ecr, const std::string& text, ICommandHost& host) {
  if (!IsZeroCommand(text)) return Refuse("unknown command");
  if (text == kLastTotalCommand) return AnswerLastTotal(ecr, host);
  for (const std::string& token : Tokens(text)) {
    CCommandOutcome outcome = RunToken(ecr, token, host);
    if (outcome.m_Refused) {
      ecr.m_TransientError = 1;
      host.Checkpoint();
      return outcome;
    }
    host.Checkpoint();
  }
  return {};
}

// "%d:%s::%s:%s:%s:%d:::::::": number, description, -, HALO, LALO, price (may be empty), tax.
bool TakeDepartmentLine(CRegister& ecr, const std::string& line) {
  const auto fields = Fields(line, 14, 1);
  if (!fields) return false;
  const auto number = ParseNumber((*fields)[0]);
  const auto halo = OptionalCents((*fields)[3]);
  const auto lalo = OptionalCents((*fields)[4]);
  const auto price = OptionalCents((*fields)[5]);
  const auto tax = ParseNumber((*fields)[6]);
  if (!number || *number < 1 || *number > kZeroDepartments || !halo || !lalo || !price || !tax) return false;
  ecr.m_Departments[*number] = CDepartment{(*fields)[1], *tax, *price, *lalo, *halo};
  return true;
}

// "%s:%s:%d:%s:%s:%s:%s:%d:%s::": code, price, department, description, discount, offer, price 1, tax, FMULT.
bool TakePluLine(CRegister& ecr, const std::string& line) {
  const auto fields = Fields(line, 11, 3);
  if (!fields || (*fields)[0].empty()) return false;
  const auto price = OptionalCents((*fields)[1]);
  const auto department = ParseNumber((*fields)[2]);
  const auto tax = ParseNumber((*fields)[7]);
  if (!price || !department || *department < 1 || *department > kZeroDepartments || !tax) return false;
  const auto& f = *fields;
  ecr.m_Plus[f[0]] = CPlu{f[3], *price, *department, *tax, f[4], f[5], f[6], f[8]};
  return true;
}

// "%s:%s:%d:%s::%s:::%s::": code, price, department, description, -, NITEM, -, -, FMULT.
bool TakeOfferLine(CRegister& ecr, const std::string& line) {
  const auto fields = Fields(line, 11, 3);
  if (!fields || (*fields)[0].empty()) return false;
  const auto price = OptionalCents((*fields)[1]);
  const auto department = ParseNumber((*fields)[2]);
  if (!price || !department || *department < 1 || *department > kZeroDepartments) return false;
  const auto& f = *fields;
  ecr.m_Offers[f[0]] = COffer{f[3], *price, *department, f[5], f[8]};
  return true;
}

}  // namespace emulator
