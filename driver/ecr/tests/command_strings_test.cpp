#include "driver/ecr/command_strings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

namespace driver {
namespace {

TEST(CommandStrings, CentsTextReadsCommaOrDotAmounts) {
  struct Case {
    const char* amount;
    const char* cents;
  } cases[] = {
      {"12,50", "1250"}, {"12.5", "1250"}, {"", "0"},      {"0,29", "29"},   {"1.005", "100"},
      {"7", "700"},      {"  3,1", "310"}, {"-2,5", "-250"}, {"12,5,1", "1250"}, {"abc", "0"},
      {"+1,10", "110"},  {"1234567,89", "123456789"},
  };
  for (const Case& c : cases) EXPECT_EQ(CentsText(c.amount), c.cents) << c.amount;
}

TEST(CommandStrings, CentsTextIgnoresADesktopLocaleWithDecimalCommas) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr && std::setlocale(LC_NUMERIC, "it_IT.UTF-8") == nullptr) {
    GTEST_SKIP() << "no locale with decimal commas installed";
  }
  EXPECT_EQ(CentsText("12.50"), "1250");
  EXPECT_EQ(CentsText("12,50"), "1250");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(CommandStrings, PluPriceDigitsDropTheCommaOrAddTwoZeros) {
  struct Case {
    const char* price;
    const char* digits;
  } cases[] = {{"12,50", "1250"}, {"12", "1200"}, {"12,5", "125"}, {"", "00"}, {"1,2,3", "12,3"}};
  for (const Case& c : cases) EXPECT_EQ(PluPriceDigits(c.price), c.digits) << c.price;
}

TEST(CommandStrings, KeyLettersAndNumbers) {
  EXPECT_EQ(KeySwitchCommand('C'), "*Sk");
  EXPECT_EQ(KeySwitchCommand('L'), "*Sj");
  EXPECT_EQ(KeySwitchCommand('P'), "*Sl");
  EXPECT_EQ(KeySwitchCommand('R'), "*Si");
  EXPECT_EQ(KeySwitchCommand('\0'), "*Si");

  struct Case {
    const char* value;
    std::int32_t number;
  } numbers[] = {{"", 0},    {"12", 12},   {"-3", -3},   {"+4", 4},           {"0012x", 12},
                 {"x12", 0}, {" 5", 0},    {"-", 0},     {"99999999999", 2147483647},
                 {"-99999999999", -2147483647 - 1}};
  for (const Case& c : numbers) EXPECT_EQ(ReadNumber(c.value), c.number) << c.value;
  EXPECT_EQ(WithDecimalComma("1.2.3"), "1,2.3");
  EXPECT_EQ(WithDecimalComma("12"), "12");
}

TEST(CommandStrings, StarDepartmentCommandsSkipAnEmptyPrice) {
  CDepartmentRecord department{3, "FRUIT", "2,50", "0,10", "99,00", 1};
  EXPECT_EQ(StarDepartmentCommands(department),
            (std::vector<std::string>{"*S01Q3B$FRUIT$QK", "*S04Q3B1QK", "*S02Q3B2,50QK", "*S05Q3B0,10QK",
                                      "*S06Q3B99,00QK"}));
  department.m_Price.clear();
  EXPECT_EQ(StarDepartmentCommands(department),
            (std::vector<std::string>{"*S01Q3B$FRUIT$QK", "*S04Q3B1QK", "*S05Q3B0,10QK", "*S06Q3B99,00QK"}));
}

TEST(CommandStrings, StarPluCommandsRightAlignAndUseTheDepartmentLetter) {
  CPluRecord plu;
  plu.m_Code = "123";
  plu.m_Description = "APPLES";
  plu.m_Price = "12,5";
  plu.m_Department = 2;
  plu.m_Tax = 4;
  EXPECT_EQ(StarPluCommands(plu), (std::vector<std::string>{"*WH0          123       1250000",
                                                            "*WH1            APPLESB4"}));
  plu.m_Code = "12345678901234567";  // longer than its column: never cut
  plu.m_Department = 1;
  EXPECT_EQ(StarPluCommands(plu)[0], "*WH012345678901234567       1250000");
  EXPECT_EQ(StarPluCommands(plu)[1].substr(22), "A4");
  plu.m_Description = "ΜΗΛΑ";  // the column counts characters, not the bytes of Greek letters
  EXPECT_EQ(StarPluCommands(plu)[1], "*WH1              ΜΗΛΑA4");
}

TEST(CommandStrings, ZeroFamilyUploadLines) {
  CDepartmentRecord department{3, "FRUIT", "2,5", "0,10", "99", 1};
  EXPECT_EQ(ZeroDepartmentLine(department), "3:FRUIT::9900:10:250:1:::::::");
  department.m_Price.clear();
  EXPECT_EQ(ZeroDepartmentLine(department), "3:FRUIT::9900:10::1:::::::");

  CPluRecord plu{"800", "PEARS", "1.20", 7, 2, "D", "O", "1,30", "F"};
  EXPECT_EQ(ZeroPluLine(plu), "800:120:7:PEARS:D:O:1,30:2:F::");

  COfferRecord offer{"900", "3X2", 4, "5,00", "3", "M"};
  EXPECT_EQ(ZeroOfferLine(offer), "900:500:4:3X2::3:::M::");
}

TEST(CommandStrings, HeaderLinesAndHelloCode) {
  EXPECT_EQ(StarHeaderLineCommand(1, "SHOP"), "*S30Q$SHOP$K");
  EXPECT_EQ(StarHeaderLineCommand(6, ""), "*S35Q$$K");
  EXPECT_EQ(StarHelloCodeCommand("ABCDEFGH"), "*SEFGHK");
  EXPECT_EQ(StarHelloCodeCommand("ABCDEF"), "*SEFK");
  EXPECT_EQ(StarHelloCodeCommand(""), "*SK");
}

TEST(CommandStrings, RequestCodesFallBackToTheFirstKind) {
  struct Case {
    std::int32_t type;
    std::int32_t report;
    std::int32_t zeroSet;
  } cases[] = {{0, 51, 80}, {5, 56, 85}, {6, 57, 80}, {7, 58, 80}, {8, 51, 80}, {9, 51, 80}, {-1, 51, 80}};
  for (const Case& c : cases) {
    EXPECT_EQ(ReportRequestCode(c.type), c.report) << c.type;
    EXPECT_EQ(ZeroSetRequestCode(c.type), c.zeroSet) << c.type;
  }
  EXPECT_EQ(ReportRequestText(1), "<REPORT><PRINT>1</PRINT></REPORT>");
  EXPECT_EQ(ZeroSetRequestText(0), "<ZEROSET><PRINT>0</PRINT></ZEROSET>");
}

TEST(CommandStrings, DisplayLinesRightAlignTheTotalInTheDisplayWidth) {
  EXPECT_EQ(CustomerDisplayCommand(20, "12,50"), "0;(T              12,50;");
  EXPECT_EQ(OperatorDisplayCommand(8, "12,50"), "0;>T  12,50;");
  EXPECT_EQ(OperatorDisplayCommand(3, "12,50"), "0;>T12,50;");
  EXPECT_EQ(FormatText("%s", std::string(2000, 'x').c_str()).size(), 2000u);
}

}  // namespace
}  // namespace driver
