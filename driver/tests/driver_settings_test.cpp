#include "driver/driver_settings.h"

#include <gtest/gtest.h>

#include "driver/control/ecr_context.h"
#include "testsupport/temp_folder.h"

namespace {

using driver::CDriverSettings;
using driver::ReadDriverSettings;
using testsupport::TempFolder;
using testsupport::WriteFile;

TEST(DriverSettings, DefaultsWhenTheFileIsMissing) {
  TempFolder base;
  CDriverSettings settings = ReadDriverSettings(base / "QorDriver.ini");
  EXPECT_FALSE(settings.m_SetPriorityHigh);
  EXPECT_TRUE(settings.m_OnErrorContinue);
  EXPECT_FALSE(settings.m_OnErrorVoidTicket);
  EXPECT_FALSE(settings.m_DisplayLastTotal);
  EXPECT_FALSE(settings.m_DescriptionCheck);
  EXPECT_TRUE(settings.m_SingleClient);
}

struct BooleanCase {
  const char* label;
  const char* value;
  bool on;
};

class BooleanSetting : public testing::TestWithParam<BooleanCase> {};

// Every switch is on exactly when its value begins with the digit one.
TEST_P(BooleanSetting, OnExactlyWhenTheFirstCharacterIsOne) {
  TempFolder base;
  const std::string v = GetParam().value;
  WriteFile(base / "QorDriver.ini", "[TillJob]\r\nSetPriorityHigh=" + v + "\r\nOnErrorContinue=" + v +
                                        "\r\nOnErrorVoidTicket=" + v + "\r\nDisplayLastTotal=" + v +
                                        "\r\nDescriptionCheck=" + v + "\r\n[OCXManager]\r\nSingleClient=" + v + "\r\n");
  CDriverSettings s = ReadDriverSettings(base / "QorDriver.ini");
  const bool on = GetParam().on;
  EXPECT_EQ(s.m_SetPriorityHigh, on);
  EXPECT_EQ(s.m_OnErrorContinue, on);
  EXPECT_EQ(s.m_OnErrorVoidTicket, on);
  EXPECT_EQ(s.m_DisplayLastTotal, on);
  EXPECT_EQ(s.m_DescriptionCheck, on);
  EXPECT_EQ(s.m_SingleClient, on);
}

INSTANTIATE_TEST_SUITE_P(Values, BooleanSetting,
                         testing::Values(BooleanCase{"One", "1", true}, BooleanCase{"Ten", "10", true},
                                         BooleanCase{"OneAfterBlanksIsTrimmed", "  1yes", true},
                                         BooleanCase{"Zero", "0", false}, BooleanCase{"Word", "yes", false},
                                         BooleanCase{"WordTrue", "true", false},
                                         BooleanCase{"Empty", "", false}),
                         [](const testing::TestParamInfo<BooleanCase>& info) { return std::string(info.param.label); });

struct DigitsCase {
  const char* label;
  int type;
  int customer;
  int operatorDigits;
};

class DisplayDigits : public testing::TestWithParam<DigitsCase> {};

TEST_P(DisplayDigits, ReadOnlyForTheZeroFamily) {
  TempFolder base;
  WriteFile(base / "QorDriver.ini",
            "[ZELCustomerDisplayDigits]\r\nECR7=16\r\nECR8=abc\r\n[ZELOperatorDisplayDigits]\r\nECR7=32x\r\n");
  driver::CEcrContext ecr(7, GetParam().type);
  driver::ReadDisplayDigits(base / "QorDriver.ini", ecr);
  EXPECT_EQ(ecr.DisplayDigits().m_CustomerDigits, GetParam().customer);
  EXPECT_EQ(ecr.DisplayDigits().m_OperatorDigits, GetParam().operatorDigits);
}

INSTANTIATE_TEST_SUITE_P(Types, DisplayDigits,
                         testing::Values(DigitsCase{"Type0", 0, 20, 20}, DigitsCase{"Type1", 1, 16, 32},
                                         DigitsCase{"Type2", 2, 16, 32}, DigitsCase{"Type3", 3, 20, 20}),
                         [](const testing::TestParamInfo<DigitsCase>& info) { return std::string(info.param.label); });

TEST(DisplayDigits, NonNumericGivesZeroAndMissingGivesTwenty) {
  TempFolder base;
  WriteFile(base / "QorDriver.ini", "[ZELCustomerDisplayDigits]\r\nECR8=abc\r\n");
  driver::CEcrContext ecr(8, 1);
  driver::ReadDisplayDigits(base / "QorDriver.ini", ecr);
  EXPECT_EQ(ecr.DisplayDigits().m_CustomerDigits, 0);
  EXPECT_EQ(ecr.DisplayDigits().m_OperatorDigits, 20);
}

}  // namespace
