#include "emulator/reports.h"

#include <array>
#include <type_traits>

#include "emulator/amounts.h"
#include "emulator/print_columns.h"

namespace emulator {
namespace {

using Lines = std::vector<std::string>;

template <class Map>
void AddTotals(Lines& lines, const char* label, const Map& totals) {
  if (totals.empty()) lines.push_back(std::string("NO ") + label + " TOTALS");
  for (const auto& [key, amount] : totals) {
    std::string name = label + std::string(" ");
    if constexpr (std::is_same_v<typename Map::key_type, int>) name += std::to_string(key);
    else name += key;
    lines.push_back(Columns(name, FormatCents(amount)));
  }
}

void FinancialLines(const CRegister& ecr, Lines& lines) {
  lines.push_back(Columns("RECEIPTS", std::to_string(ecr.m_Daily.m_Receipts)));
  lines.push_back(Columns("VOIDED RECEIPTS", std::to_string(ecr.m_Daily.m_Voided)));
  lines.push_back(Columns("DAILY TOTAL", FormatCents(ecr.m_Daily.m_Total)));
  lines.push_back(Columns("GRAND TOTAL", FormatCents(ecr.m_GrandTotal)));
  lines.push_back(Columns("FISCAL CLOSURES", std::to_string(ecr.m_FiscalClosures)));
  lines.push_back(Columns("ZERO-SETS", std::to_string(ecr.m_ZeroSets)));
}

void TablesLines(const CRegister& ecr, Lines& lines) {
  if (ecr.m_Tables.empty()) lines.push_back("NO OPEN TABLES");
  for (const auto& [table, entry] : ecr.m_Tables)
    lines.push_back(Columns("TABLE " + table + " WAITER " + entry.m_Waiter, FormatCents(entry.m_Balance)));
}

void KindLines(const CRegister& ecr, int kind, Lines& lines) {
  switch (kind) {
    case 1: AddTotals(lines, "PLU", ecr.m_Daily.m_Plus); break;
    case 2: AddTotals(lines, "DEPARTMENT", ecr.m_Daily.m_Departments); break;
    case 3: AddTotals(lines, "PAYMENT", ecr.m_Daily.m_Payments); break;
    case 4:
      lines.push_back(Columns("OPERATOR 1 RECEIPTS", std::to_string(ecr.m_Daily.m_Receipts)));
      lines.push_back(Columns("OPERATOR 1 TOTAL", FormatCents(ecr.m_Daily.m_Total)));
      break;
    case 5: lines.push_back(Columns("ALL DAY", FormatCents(ecr.m_Daily.m_Total))); break;
    case 6: lines.push_back(Columns("STAMPS", std::to_string(ecr.m_Daily.m_Receipts))); break;
    case 7: TablesLines(ecr, lines); break;
    default: FinancialLines(ecr, lines); break;
  }
}

}  // namespace

std::string ReportName(int kind) {
  static const std::array<const char*, 8> names = {"FINANCIAL", "PLU DAILY",   "DEPARTMENT DAILY", "CASHDRAWER",
                                                   "OPERATOR",  "TIME SLOTS", "STAMPS",           "OPEN TABLES"};
  return kind >= 0 && kind < 8 ? names[kind] : names[0];
}

std::vector<std::string> BuildReport(const CRegister& ecr, int kind) {
  Lines lines = {"ECR " + std::to_string(ecr.m_Number) + " " + ReportName(kind) + " REPORT"};
  KindLines(ecr, kind, lines);
  lines.push_back("END OF REPORT");
  return lines;
}

std::string ZeroSetName(int kind) {
  static const std::array<const char*, 6> names = {"DEPARTMENT", "PLU", "VAT", "PAYMENTS", "TIME SLOTS", "WAITERS"};
  return kind >= 0 && kind < 6 ? names[kind] : names[0];
}

std::vector<std::string> ZeroSet(CRegister& ecr, int kind) {
  static const std::array<int, 6> reportOf = {2, 1, -1, 3, 5, -1};
  const int safeKind = kind >= 0 && kind < 6 ? kind : 0;
  Lines lines = {"ECR " + std::to_string(ecr.m_Number) + " " + ZeroSetName(safeKind) + " ZERO-SET"};
  CDailyTotals& daily = ecr.m_Daily;
  if (reportOf[safeKind] >= 0) KindLines(ecr, reportOf[safeKind], lines);
  if (safeKind == 2) AddTotals(lines, "VAT", daily.m_Taxes);
  if (safeKind == 5) AddTotals(lines, "WAITER", daily.m_Waiters);
  switch (safeKind) {
    case 0: daily.m_Departments.clear(); break;
    case 1: daily.m_Plus.clear(); break;
    case 2: daily.m_Taxes.clear(); break;
    case 3: daily.m_Payments.clear(); break;
    case 4: break;
    case 5: daily.m_Waiters.clear(); break;
  }
  ++ecr.m_ZeroSets;
  lines.push_back("ZERO-SET NO. " + std::to_string(ecr.m_ZeroSets));
  return lines;
}

std::vector<std::string> FiscalClosure(CRegister& ecr) {
  Lines lines = {"ECR " + std::to_string(ecr.m_Number) + " FISCAL CLOSURE"};
  FinancialLines(ecr, lines);
  ecr.m_Daily = CDailyTotals{};
  ++ecr.m_FiscalClosures;
  lines.push_back("FISCAL CLOSURE NO. " + std::to_string(ecr.m_FiscalClosures));
  return lines;
}

std::vector<std::string> TableSummary(const CRegister& ecr) {
  Lines lines = {"ECR " + std::to_string(ecr.m_Number) + " TABLE SUMMARY"};
  TablesLines(ecr, lines);
  return lines;
}

}  // namespace emulator
