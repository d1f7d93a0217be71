#include "driver/register_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using driver::CRegisterEntry;
using driver::ScanRegisterList;

struct ListCase {
  const char* label;
  std::string text;
  std::vector<CRegisterEntry> registers;
};

void PrintTo(const ListCase& c, std::ostream* out) { *out << c.text; }

class RegisterListScan : public testing::TestWithParam<ListCase> {};

TEST_P(RegisterListScan, YieldsTheRegistersTheControlReports) {
  EXPECT_EQ(ScanRegisterList(GetParam().text), GetParam().registers);
}

const std::string kTwoRegisters = "<IDECR>1</IDECR><TYPE>1</TYPE><IDECR>2</IDECR><TYPE>0</TYPE>";

INSTANTIATE_TEST_SUITE_P(
    Quirks, RegisterListScan,
    testing::Values(
        ListCase{"AfterOneLeadingCharacter", "x" + kTwoRegisters, {{1, 1}, {2, 0}}},
        // The first character is never searched, so a list that starts with its first element loses it.
        ListCase{"WithoutLeadingCharacter", kTwoRegisters, {{2, 0}}},
        ListCase{"Empty", "", {}},
        ListCase{"RegisterWithoutTypeIsDropped", "x<IDECR>4</IDECR><TYPE>2</TYPE><IDECR>9</IDECR>", {{4, 2}}},
        // The type is searched from the register's closing element on, past any later register.
        ListCase{"TypeIsTakenFromBeyondTheNextRegister", "x<IDECR>4</IDECR><IDECR>5</IDECR><TYPE>3</TYPE>",
                 {{4, 3}}},
        ListCase{"MissingClosingIdEndsTheScan", "x<IDECR>1</IDECR><TYPE>1</TYPE><IDECR>2<TYPE>0</TYPE>", {{1, 1}}},
        ListCase{"MissingClosingTypeEndsTheScan", "x<IDECR>1</IDECR><TYPE>1</TYPE><IDECR>2</IDECR><TYPE>0",
                 {{1, 1}}},
        ListCase{"ClosingElementsAreSearchedAcrossLaterRegisters",
                 "x<IDECR>1</IDECR><TYPE>1<IDECR>2</IDECR><TYPE>0</TYPE>", {{1, 1}}},
        ListCase{"NumbersReadAsIntegers", "x<IDECR> 12abc</IDECR><TYPE>-1</TYPE><IDECR>z</IDECR><TYPE></TYPE>",
                 {{12, -1}, {0, 0}}},
        ListCase{"OtherElementsBetween",
                 "<LIST><ECR><IDECR>7</IDECR><NAME>bar</NAME><TYPE>2</TYPE></ECR></LIST>", {{7, 2}}}),
    [](const testing::TestParamInfo<ListCase>& info) { return std::string(info.param.label); });

}  // namespace
