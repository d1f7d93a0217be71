#pragma once
// Reports, zero-sets and the fiscal closure of one register, as printed lines.
// Report kinds (Request 51 + kind): 0 financial, 1 PLU daily, 2 department daily, 3 cash drawer,
// 4 operator, 5 time slots, 6 stamps, 7 open tables.
// Zero-set kinds (Request 80 + kind): 0 departments, 1 PLUs, 2 VAT, 3 payments, 4 time slots, 5 waiters;
// each empties its daily totals and counts one zero-set.

#include <string>
#include <vector>

#include "emulator/register_state.h"

namespace emulator {

std::string ReportName(int kind);
std::vector<std::string> BuildReport(const CRegister& ecr, int kind);
std::string ZeroSetName(int kind);
std::vector<std::string> ZeroSet(CRegister& ecr, int kind);
// The daily closure: prints the financial report, empties every daily total, counts one closure.
std::vector<std::string> FiscalClosure(CRegister& ecr);
// The summary of the open tables (table summary command).
std::vector<std::string> TableSummary(const CRegister& ecr);

}  // namespace emulator
