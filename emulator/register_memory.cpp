#include "emulator/register_memory.h"

#include <charconv>
#include <functional>
#include <map>
#include <vector>

namespace emulator {
namespace {

constexpr const char* kFormatName = "memory";
constexpr int kFormatVersion = 1;
// The last line: a text without it was cut short.
constexpr std::string_view kEnd = "end";

// Every single value a register remembers, by its name in the memory text. Register is CRegister or
// const CRegister, so that writing and reading walk the same table.
template <class Register, class Visit>
void VisitValues(Register& ecr, Visit&& visit) {
  visit("key", ecr.m_Key);
  visit("mode", ecr.m_Mode);
  visit("keylocked", ecr.m_KeyLocked);
  visit("programmingtaken", ecr.m_ProgrammingTaken);
  visit("transienterror", ecr.m_TransientError);
  visit("plusession", ecr.m_PluSession);
  visit("haspendingplu", ecr.m_HasPendingPlu);
  visit("pendingplucode", ecr.m_PendingPluCode);
  visit("pendingpluprice", ecr.m_PendingPluPrice);
  visit("headersession", ecr.m_HeaderSession);
  visit("headerstaged", ecr.m_HeaderStaged);
  visit("headercomplete", ecr.m_HeaderComplete);
  visit("hellocodesent", ecr.m_HelloCodeSent);
  visit("ticketopen", ecr.m_TicketOpen);
  visit("ticketkind", ecr.m_TicketKind);
  visit("opentable", ecr.m_OpenTable);
  visit("tickettotal", ecr.m_TicketTotal);
  visit("dailytotal", ecr.m_Daily.m_Total);
  visit("dailyreceipts", ecr.m_Daily.m_Receipts);
  visit("dailyvoided", ecr.m_Daily.m_Voided);
  visit("grandtotal", ecr.m_GrandTotal);
  visit("receiptnumber", ecr.m_ReceiptNumber);
  visit("fiscalclosures", ecr.m_FiscalClosures);
  visit("zerosets", ecr.m_ZeroSets);
  visit("lasttotal", ecr.m_LastTotal);
  visit("customerdisplay", ecr.m_CustomerDisplay);
  visit("operatordisplay", ecr.m_OperatorDisplay);
  visit("reportsequence", ecr.m_ReportSequence);
}

std::string Escaped(const std::string& field) {
  std::string out;
  for (char c : field) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Unescaped(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const char next = field[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

std::string Text(const std::string& value) { return value; }
std::string Text(char value) { return std::string(1, value); }
std::string Text(bool value) { return value ? "1" : "0"; }
std::string Text(int value) { return std::to_string(value); }
std::string Text(std::int64_t value) { return std::to_string(value); }
std::string Text(std::uint64_t value) { return std::to_string(value); }

bool Parse(const std::string& text, std::string& value) {
  value = text;
  return true;
}
bool Parse(const std::string& text, char& value) {
  if (text.size() != 1) return false;
  value = text[0];
  return true;
}
template <class Number>
bool ParseNumber(const std::string& text, Number& value) {
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end && !text.empty();
}
bool Parse(const std::string& text, int& value) { return ParseNumber(text, value); }
bool Parse(const std::string& text, std::int64_t& value) { return ParseNumber(text, value); }
bool Parse(const std::string& text, std::uint64_t& value) { return ParseNumber(text, value); }
bool Parse(const std::string& text, bool& value) {
  if (text != "0" && text != "1") return false;
  value = text == "1";
  return true;
}

class CMemoryWriter {
 public:
  template <class... Values>
  void Line(const char* name, const Values&... values) {
    m_Text += name;
    ((m_Text += '\t', m_Text += Escaped(Text(values))), ...);
    m_Text += '\n';
  }
  std::string m_Text;
};

// The fields of one line after its name; Take reads exactly as many as it is given.
class CFields {
 public:
  explicit CFields(std::vector<std::string> fields) : m_Fields(std::move(fields)) {}
  template <class... Values>
  bool Take(Values&... values) {
    if (m_Fields.size() != sizeof...(Values) + 1) return false;
    std::size_t at = 1;
    return (Parse(m_Fields[at++], values) && ...);
  }

 private:
  std::vector<std::string> m_Fields;
};

std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(Unescaped(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start)));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

template <class Key>
void WriteTotals(CMemoryWriter& out, const char* name, const std::map<Key, Cents>& totals) {
  for (const auto& [key, amount] : totals) out.Line(name, key, amount);
}

template <class Key>
bool ReadTotal(CFields& fields, std::map<Key, Cents>& totals) {
  Key key{};
  Cents amount = 0;
  if (!fields.Take(key, amount)) return false;
  totals[key] = amount;
  return true;
}

bool ReadLine(CFields& fields, std::vector<std::string>& lines) {
  std::string line;
  if (!fields.Take(line)) return false;
  lines.push_back(line);
  return true;
}

bool ReadHeaderLine(CFields& fields, std::array<std::string, 6>& header) {
  int line = 0;
  std::string text;
  if (!fields.Take(line, text) || line < 0 || line >= static_cast<int>(header.size())) return false;
  header[static_cast<std::size_t>(line)] = text;
  return true;
}

void WriteCollections(CMemoryWriter& out, const CRegister& ecr) {
  for (const CTicketLine& line : ecr.m_TicketLines)
    out.Line("ticketline", line.m_Text, line.m_Amount, line.m_Department, line.m_PluCode, line.m_Quantity);
  for (const std::string& line : ecr.m_ReceiptPrinted) out.Line("openreceipt", line);
  for (const std::string& line : ecr.m_LastReceipt) out.Line("lastreceipt", line);
  for (std::size_t n = 0; n < ecr.m_Header.size(); ++n) out.Line("header", static_cast<int>(n), ecr.m_Header[n]);
  for (std::size_t n = 0; n < ecr.m_StagedHeader.size(); ++n)
    out.Line("stagedheader", static_cast<int>(n), ecr.m_StagedHeader[n]);
  for (const auto& [n, d] : ecr.m_Departments)
    out.Line("department", n, d.m_Description, d.m_Tax, d.m_Price, d.m_Lalo, d.m_Halo);
  for (const auto& [code, p] : ecr.m_Plus)
    out.Line("plu", code, p.m_Description, p.m_Price, p.m_Department, p.m_Tax, p.m_Discount, p.m_Offer, p.m_Price1,
             p.m_Fmult);
  for (const auto& [code, o] : ecr.m_Offers)
    out.Line("offer", code, o.m_Description, o.m_Price, o.m_Department, o.m_Nitem, o.m_Fmult);
  for (const auto& [name, table] : ecr.m_Tables) out.Line("table", name, table.m_Balance, table.m_Waiter);
  WriteTotals(out, "dailydepartment", ecr.m_Daily.m_Departments);
  WriteTotals(out, "dailyplu", ecr.m_Daily.m_Plus);
  WriteTotals(out, "dailytax", ecr.m_Daily.m_Taxes);
  WriteTotals(out, "dailypayment", ecr.m_Daily.m_Payments);
  WriteTotals(out, "dailywaiter", ecr.m_Daily.m_Waiters);
}

using ItemReader = std::function<bool(CFields&, CRememberedRegister&)>;

// How each line of the memory text after the first is read, by its name.
std::map<std::string, ItemReader> ItemReaders(CRememberedRegister& memory) {
  std::map<std::string, ItemReader> readers = {
      {"ticketline", [](CFields& f, CRememberedRegister& m) {
         CTicketLine line;
         if (!f.Take(line.m_Text, line.m_Amount, line.m_Department, line.m_PluCode, line.m_Quantity)) return false;
         m.m_Register.m_TicketLines.push_back(line);
         return true;
       }},
      {"openreceipt", [](CFields& f, CRememberedRegister& m) { return ReadLine(f, m.m_Register.m_ReceiptPrinted); }},
      {"lastreceipt", [](CFields& f, CRememberedRegister& m) { return ReadLine(f, m.m_Register.m_LastReceipt); }},
      {"header", [](CFields& f, CRememberedRegister& m) { return ReadHeaderLine(f, m.m_Register.m_Header); }},
      {"stagedheader", [](CFields& f, CRememberedRegister& m) { return ReadHeaderLine(f, m.m_Register.m_StagedHeader); }},
      {"department", [](CFields& f, CRememberedRegister& m) {
         int n = 0;
         CDepartment d;
         if (!f.Take(n, d.m_Description, d.m_Tax, d.m_Price, d.m_Lalo, d.m_Halo)) return false;
         m.m_Register.m_Departments[n] = d;
         return true;
       }},
      {"plu", [](CFields& f, CRememberedRegister& m) {
         std::string code;
         CPlu p;
         if (!f.Take(code, p.m_Description, p.m_Price, p.m_Department, p.m_Tax, p.m_Discount, p.m_Offer, p.m_Price1,
                     p.m_Fmult))
           return false;
         m.m_Register.m_Plus[code] = p;
         return true;
       }},
      {"offer", [](CFields& f, CRememberedRegister& m) {
         std::string code;
         COffer o;
         if (!f.Take(code, o.m_Description, o.m_Price, o.m_Department, o.m_Nitem, o.m_Fmult)) return false;
         m.m_Register.m_Offers[code] = o;
         return true;
       }},
      {"table", [](CFields& f, CRememberedRegister& m) {
         std::string name;
         CTable table;
         if (!f.Take(name, table.m_Balance, table.m_Waiter)) return false;
         m.m_Register.m_Tables[name] = table;
         return true;
       }},
      {"dailydepartment", [](CFields& f, CRememberedRegister& m) { return ReadTotal(f, m.m_Register.m_Daily.m_Departments); }},
      {"dailyplu", [](CFields& f, CRememberedRegister& m) { return ReadTotal(f, m.m_Register.m_Daily.m_Plus); }},
      {"dailytax", [](CFields& f, CRememberedRegister& m) { return ReadTotal(f, m.m_Register.m_Daily.m_Taxes); }},
      {"dailypayment", [](CFields& f, CRememberedRegister& m) { return ReadTotal(f, m.m_Register.m_Daily.m_Payments); }},
      {"dailywaiter", [](CFields& f, CRememberedRegister& m) { return ReadTotal(f, m.m_Register.m_Daily.m_Waiters); }},
      {"journal", [](CFields& f, CRememberedRegister& m) { return f.Take(m.m_Marks.m_JournalBytes); }},
      {"history", [](CFields& f, CRememberedRegister& m) { return f.Take(m.m_Marks.m_HistoryBytes); }},
      {"sequence", [](CFields& f, CRememberedRegister& m) { return f.Take(m.m_Marks.m_Sequence); }},
  };
  VisitValues(memory.m_Register, [&readers](const char* name, auto& value) {
    readers[name] = [&value](CFields& f, CRememberedRegister&) { return f.Take(value); };
  });
  return readers;
}

}  // namespace

std::string MemoryText(const CRegister& ecr, const CPrintMarks& marks) {
  CMemoryWriter out;
  out.Line(kFormatName, kFormatVersion, ecr.m_Number, ecr.m_Type);
  VisitValues(ecr, [&out](const char* name, const auto& value) { out.Line(name, value); });
  WriteCollections(out, ecr);
  out.Line("journal", marks.m_JournalBytes);
  out.Line("history", marks.m_HistoryBytes);
  out.Line("sequence", marks.m_Sequence);
  return out.m_Text + std::string(kEnd) + "\n";
}

std::optional<CRememberedRegister> ParseMemoryText(const std::string& text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) return std::nullopt;  // a memory text always ends with a line end
    lines.push_back(std::string_view(text).substr(start, end - start));
    start = end + 1;
  }
  if (lines.size() < 2 || lines.back() != kEnd) return std::nullopt;
  lines.pop_back();
  CRememberedRegister memory;
  CRegister& ecr = memory.m_Register;
  std::vector<std::string> first = SplitFields(lines[0]);
  int version = 0;
  if (first.empty() || first[0] != kFormatName || !CFields(first).Take(version, ecr.m_Number, ecr.m_Type) ||
      version != kFormatVersion)
    return std::nullopt;
  const std::map<std::string, ItemReader> readers = ItemReaders(memory);
  for (std::size_t n = 1; n < lines.size(); ++n) {
    std::vector<std::string> fields = SplitFields(lines[n]);
    const auto reader = readers.find(fields[0]);
    CFields values(std::move(fields));
    if (reader == readers.end() || !reader->second(values, memory)) return std::nullopt;
  }
  return memory;
}

std::string HistoryFileLine(const std::string& line) { return Escaped(line) + "\n"; }

std::string HistoryLineOf(const std::string& fileLine) { return Unescaped(fileLine); }

}  // namespace emulator
